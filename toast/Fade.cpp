#include "toast/Fade.h"

#include <QWidget>
#include <algorithm>

Fade::Fade(QObject* parent) : QObject(parent), clock_(animation::steadySeconds) {
  timer_.setInterval(animation::kFrameMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &Fade::step);
}

void Fade::setClock(AnimationClock clock) { clock_ = animation::orSteady(std::move(clock)); }

void Fade::run(QWidget* window, qreal to, double seconds, std::function<void()> done) {
  stop();
  window_ = window;
  if (!window_) return;
  from_ = window_->windowOpacity();
  to_ = to;
  start_ = clock_();
  seconds_ = seconds;
  done_ = std::move(done);
  timer_.start();
  step();
}

void Fade::stop() {
  timer_.stop();
  done_ = nullptr;
}

void Fade::step() {
  if (!timer_.isActive()) return;
  if (!window_) {
    stop();
    return;
  }
  const double t = seconds_ > 0 ? std::clamp((clock_() - start_) / seconds_, 0.0, 1.0) : 1.0;
  window_->setWindowOpacity(from_ + (to_ - from_) * t);
  if (t < 1) return;
  timer_.stop();
  auto done = std::move(done_);
  done_ = nullptr;
  if (done) done();
}
