#include "core/AppMarkView.h"

#include <QPainter>
#include <chrono>
#include <cmath>
#include <numbers>

#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"

namespace {

constexpr qreal kPeriod = 1.2;   // seconds per up-and-down cycle
constexpr int kFrameMs = 16;     // about 60 frames a second

double monotonicSeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

AppMarkView::AppMarkView(AppMark::State state, qreal markSize, QWidget* parent)
    : QWidget(parent), state_(state), size_(markSize), clock_(monotonicSeconds) {
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  timer_.setInterval(kFrameMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    // Reduced motion may have been switched on since the last frame.
    if (!moving()) timer_.stop();
    update();
  });
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, [this] {
    updateTimer();
    update();
  });
  connect(&Settings::shared(), &Settings::changed, this, &AppMarkView::updateAccessibleName);
  updateAccessibleName();
}

void AppMarkView::setState(AppMark::State state) {
  if (state == state_) return;
  state_ = state;
  updateAccessibleName();
  updateTimer();
  update();
}

void AppMarkView::setMarkSize(qreal size) {
  if (size == size_) return;
  size_ = size;
  updateGeometry();
  update();
}

void AppMarkView::setClock(Clock clock) {
  clock_ = clock ? std::move(clock) : Clock(monotonicSeconds);
  update();
}

bool AppMarkView::moving() const {
  return state_ == AppMark::State::working && !Appearance::reduceMotion();
}

qreal AppMarkView::phase() const {
  if (!moving()) return 0;
  const double t = clock_();
  return (std::sin(2 * std::numbers::pi * t / kPeriod) + 1) / 2;
}

QSize AppMarkView::sizeHint() const {
  const int side = int(std::ceil(size_));
  return {side, side};
}

void AppMarkView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF square((width() - size_) / 2, (height() - size_) / 2, size_, size_);
  AppMark::draw(p, square, state_, phase(), true);
}

void AppMarkView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  updateTimer();
}

void AppMarkView::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  updateTimer();
}

// Frames are only worth drawing while someone can see them move.
void AppMarkView::updateTimer() {
  if (moving() && isVisible()) {
    if (!timer_.isActive()) timer_.start();
  } else {
    timer_.stop();
  }
}

void AppMarkView::updateAccessibleName() {
  const Strings texts = L::table(Settings::shared().language());
  setAccessibleName(state_ == AppMark::State::working ? texts.working : texts.appName);
}
