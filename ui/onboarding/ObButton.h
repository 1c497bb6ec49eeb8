#pragma once
#include <QString>
#include <functional>

#include "ui/kit/Clickable.h"

// The rounded text button of the onboarding and About windows: a 12.5 px
// label, 12 px of padding either side, 28 high, on a rounded plate. A strong
// button is seal red with a light label and lightens under the pointer; a
// plain one sits on the fill ink, which deepens under the pointer.
class ObButton : public kit::Clickable {
  Q_OBJECT
 public:
  static constexpr int kHeight = 28;

  ObButton(const QString& title, bool strong, std::function<void()> action, QWidget* parent = nullptr);

  void setTitle(const QString& title);
  const QString& title() const { return title_; }
  void setStrong(bool strong);
  bool strong() const { return strong_; }
  // How opaque the whole button is drawn (a disabled try button fades).
  void setOpacity(qreal opacity);
  qreal opacity() const { return opacity_; }

  // The width a title needs: label plus padding, whole pixels.
  static int widthFor(const QString& title, bool strong);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QString title_;
  bool strong_;
  qreal opacity_ = 1.0;
};
