#pragma once
#include <QTimer>
#include <QWidget>
#include <optional>

#include "toast/AnimationClock.h"

// The mark of a picked toast: a seal-red square with a light check that lands
// like a rubber stamp, dropping from 1.6 times its size and from transparent
// with a short spring overshoot. The check is never mirrored. The widget is
// larger than the 24-pixel mark so the stamp has room to fall and cast its
// shadow; the mark sits centred in it.
class StampCheck : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMark = 24;
  static constexpr int kRoom = 12;  // around the mark, for the fall and the shadow

  explicit StampCheck(QWidget* parent = nullptr);

  void setClock(AnimationClock clock);
  // Plays the landing from the start (a new stamp); under reduced motion it
  // has landed at once.
  void land();
  // Puts the stamp in its landed state without motion.
  void finish();

  // How far the landing has gone: 0 before, 1 landed (overshoots on the way).
  qreal progress() const;
  qreal scale() const { return 1.6 - 0.6 * progress(); }
  qreal opacity() const;
  bool animating() const { return timer_.isActive(); }

  // The spring of the landing: response 0.28 s, damping fraction 0.5.
  static qreal spring(double seconds);

  QSize sizeHint() const override { return {kMark + 2 * kRoom, kMark + 2 * kRoom}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  AnimationClock clock_;
  std::optional<double> start_;  // none: not landed (and not landing)
  bool landed_ = false;
  QTimer timer_;
};
