#pragma once
#include <QTimer>
#include <QWidget>
#include <functional>

#include "core/AppMark.h"

// Shows the app mark in a square of `markSize` logical pixels, centred. While
// the state is `working` (and the desktop does not ask for reduced motion) the
// seal bobs once every 1.2 s; otherwise it rests at phase 0 and no timer runs.
class AppMarkView : public QWidget {
  Q_OBJECT
 public:
  // Seconds on any steady scale; only differences matter.
  using Clock = std::function<double()>;

  explicit AppMarkView(AppMark::State state = AppMark::State::picked, qreal markSize = 28,
                       QWidget* parent = nullptr);

  AppMark::State state() const { return state_; }
  void setState(AppMark::State state);
  qreal markSize() const { return size_; }
  void setMarkSize(qreal size);

  // Replaces the clock that drives the seal (tests); empty restores the monotonic clock.
  void setClock(Clock clock);

  // The seal's phase (0...1) for the frame drawn now.
  qreal phase() const;
  // True while the repaint timer runs.
  bool animating() const { return timer_.isActive(); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  bool moving() const;
  void updateTimer();
  void updateAccessibleName();

  AppMark::State state_;
  qreal size_;
  Clock clock_;
  QTimer timer_;
};
