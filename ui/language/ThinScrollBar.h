#pragma once
#include <QScrollBar>

// A slim vertical scroll bar: a rounded thumb on a clear track, dragged or
// clicked to jump. Drawn in the menu's inks instead of the desktop style.
class ThinScrollBar : public QScrollBar {
  Q_OBJECT
 public:
  explicit ThinScrollBar(QWidget* parent = nullptr);

  QSize sizeHint() const override { return {8, 40}; }
  QSize minimumSizeHint() const override { return {8, 20}; }
  // The thumb, in the bar's coordinates.
  QRectF thumbRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QRectF track() const;
  void dragTo(qreal y);

  qreal grab_ = -1;  // where the thumb was held, from its top; -1 when not dragging
  bool hover_ = false;
};
