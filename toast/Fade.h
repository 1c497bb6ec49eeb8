#pragma once
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "toast/AnimationClock.h"

class QWidget;

// Runs a window's opacity from one value to another over a duration, linear
// in time read from a clock. A new run replaces the one in progress; only a
// run that reaches its end calls its completion.
class Fade : public QObject {
  Q_OBJECT
 public:
  explicit Fade(QObject* parent = nullptr);

  void setClock(AnimationClock clock);
  void run(QWidget* window, qreal to, double seconds, std::function<void()> done = {});
  // Stops the run in progress where it is; its completion is not called.
  void stop();
  bool running() const { return timer_.isActive(); }
  // Moves the run to the clock's present (the timer does this every frame).
  void step();

 private:
  AnimationClock clock_;
  QTimer timer_;
  QPointer<QWidget> window_;
  qreal from_ = 0;
  qreal to_ = 1;
  double start_ = 0;
  double seconds_ = 0;
  std::function<void()> done_;
};
