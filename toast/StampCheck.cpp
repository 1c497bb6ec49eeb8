#include "toast/StampCheck.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <numbers>

#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"

namespace {
constexpr double kResponse = 0.28;
constexpr double kDamping = 0.5;
constexpr double kSettle = 1.0;  // seconds after which the spring is at rest to the eye
}  // namespace

StampCheck::StampCheck(QWidget* parent) : QWidget(parent), clock_(animation::steadySeconds) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFixedSize(sizeHint());
  // The check runs from lower left to upper right in every language.
  setLayoutDirection(Qt::LeftToRight);
  setAccessibleName(L::table(Settings::shared().language()).done);
  timer_.setInterval(animation::kFrameMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    if (!start_ || clock_() - *start_ >= kSettle) {
      timer_.stop();
      landed_ = true;
    }
    update();
  });
}

qreal StampCheck::spring(double t) {
  if (t <= 0) return 0;
  const double w0 = 2 * std::numbers::pi / kResponse;
  const double wd = w0 * std::sqrt(1 - kDamping * kDamping);
  const double decay = std::exp(-kDamping * w0 * t);
  return 1 - decay * (std::cos(wd * t) + kDamping * w0 / wd * std::sin(wd * t));
}

void StampCheck::setClock(AnimationClock clock) {
  clock_ = animation::orSteady(std::move(clock));
  update();
}

void StampCheck::land() {
  if (Appearance::reduceMotion()) {
    finish();
    return;
  }
  landed_ = false;
  start_ = clock_();
  timer_.start();
  update();
}

void StampCheck::finish() {
  timer_.stop();
  start_.reset();
  landed_ = true;
  update();
}

qreal StampCheck::progress() const {
  if (landed_) return 1;
  if (!start_) return 0;
  const double t = clock_() - *start_;
  return t >= kSettle ? 1 : spring(t);
}

qreal StampCheck::opacity() const { return std::clamp(progress(), 0.0, 1.0); }

void StampCheck::paintEvent(QPaintEvent*) {
  const qreal shown = opacity();
  if (shown <= 0) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setOpacity(shown);
  const QPointF centre(width() / 2.0, height() / 2.0);
  p.translate(centre);
  p.scale(scale(), scale());
  p.translate(-kMark / 2.0, -kMark / 2.0);
  const QRectF square(0, 0, kMark, kMark);
  QColor glow = Ink::seal();
  glow.setAlphaF(0.35 * shown);
  kit::drawShadow(p, square, 3, 4, QPointF(0, 2), glow);
  p.fillPath(kit::continuousRect(square, 3), Ink::seal());
  QPainterPath check;
  check.moveTo(6.5, 12.5);
  check.lineTo(10.3, 16.2);
  check.lineTo(17.8, 7.8);
  QPen pen(Ink::hanjiLight(), 2.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  pen.setMiterLimit(10);
  p.strokePath(check, pen);
}
