#pragma once
#include <QString>

#include "ui/kit/Clickable.h"

// The flat text button of the toast: 12-pixel label, 8 pixels of padding each
// side, 24 high. A strong button is filled at rest; a plain one only while the
// pointer is over it. The label is never cut: a long title widens the button.
class ToastButton : public kit::Clickable {
  Q_OBJECT
 public:
  explicit ToastButton(QWidget* parent = nullptr);

  void setTitle(const QString& title);
  const QString& title() const { return title_; }
  void setStrong(bool strong);
  bool strong() const { return strong_; }
  bool filled() const { return strong_ || hovered(); }

  // The width a title needs at a weight: label plus padding, whole pixels.
  static int widthFor(const QString& title, bool strong);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  bool strong_ = false;
};
