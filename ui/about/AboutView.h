#pragma once
#include <QUrl>
#include <QWidget>
#include <functional>

#include "ui/about/AboutLayout.h"

class ObButton;

// The About window's content: the product's root word with its reading (not
// shown to Korean readers), the app mark, the About text in paragraphs, and
// links to the project page and the privacy page. It reads the interface
// language when refresh() runs, not on every change: the window's owner
// refreshes it each time the window opens.
class AboutView : public QWidget {
  Q_OBJECT
 public:
  explicit AboutView(QWidget* parent = nullptr);

  // The project's address from Info.json ("TQProjectURL"); empty when unset
  // or not a web address, and its button is then not shown.
  static QUrl repo();
  // The privacy page: the address from Info.json ("TQPrivacyURL") when it is
  // a web address, else the PRIVACY.md among the resources (opened with the
  // desktop's handler for it); empty when neither exists.
  static QUrl privacy();

  // Opens a link; the desktop's opener unless replaced (tests).
  std::function<void(const QUrl&)> openUrl;

  // Reads the language, texts and addresses again and lays everything out.
  void refresh();

  const about::Layout& placement() const { return layout_; }
  QRectF visual(const QRectF& leading) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void place(QWidget* widget, const QRectF& leading);

  about::Layout layout_;
  ObButton* project_ = nullptr;
  ObButton* privacy_ = nullptr;
};
