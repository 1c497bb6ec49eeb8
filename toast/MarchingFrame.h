#pragma once
#include <QTimer>
#include <QWidget>

#include "toast/AnimationClock.h"

// The mark of a working toast: a dashed seal-red square whose dashes march
// round it, 22 pixels a second. Under reduced motion the dashes stand still.
class MarchingFrame : public QWidget {
  Q_OBJECT
 public:
  explicit MarchingFrame(QWidget* parent = nullptr);

  void setClock(AnimationClock clock);
  // The dash offset of the frame drawn now: −(t × 22 mod 9), or 0 when still.
  qreal dashPhase() const;
  bool animating() const { return timer_.isActive(); }

  QSize sizeHint() const override { return {24, 24}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void updateTimer();

  AnimationClock clock_;
  QTimer timer_;
};
