#pragma once
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>

// A decorated top-level window that stays above other windows and holds one
// content widget at that widget's preferred size (it follows when the
// content's size changes). It has a title bar with a close button only; the
// close button hides it and it is never deleted by closing. Dragging its
// background moves it. Used by the onboarding and About windows.
class KeptAboveWindow : public QWidget {
  Q_OBJECT
 public:
  explicit KeptAboveWindow(QWidget* content);

  QWidget* content() const { return content_; }

  // Centres the window on the screen under the pointer, shows it in front and
  // activates it. On screen already: centred again and brought to the front.
  void present();

  // The top-left corner that centres a frame of `frame` size in `available`,
  // kept inside it where it fits (the top-left wins when it does not).
  static QPoint centredIn(const QRect& available, const QSize& frame);

 signals:
  // The window went off screen, by the close button or by hide().
  void hidden();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QMargins frameMargins() const;
  void centre();
  void settleFrame();

  QWidget* content_;
  // Until the window manager has framed the window its frame is a guess;
  // this timer watches for the real one and centres again once.
  QTimer settle_;
  int settleTicks_ = 0;
  QMargins assumed_;
};
