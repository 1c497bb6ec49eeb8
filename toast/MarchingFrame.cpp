#include "toast/MarchingFrame.h"

#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "ui/kit/Shapes.h"

MarchingFrame::MarchingFrame(QWidget* parent) : QWidget(parent), clock_(animation::steadySeconds) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFixedSize(24, 24);
  setAccessibleName(L::table(Settings::shared().language()).working);
  timer_.setInterval(animation::kFrameMs);
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] {
    updateTimer();
    update();
  });
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, [this] {
    updateTimer();
    update();
  });
}

void MarchingFrame::setClock(AnimationClock clock) {
  clock_ = animation::orSteady(std::move(clock));
  update();
}

qreal MarchingFrame::dashPhase() const {
  if (Appearance::reduceMotion()) return 0;
  return -std::fmod(clock_() * 22.0, 9.0);
}

void MarchingFrame::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal line = 2;
  QPen pen(Ink::seal(), line, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
  pen.setMiterLimit(10);
  // Qt measures dashes in units of the pen width.
  pen.setDashPattern({5 / line, 4 / line});
  pen.setDashOffset(dashPhase() / line);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  const QRectF square = QRectF((width() - 24) / 2.0, (height() - 24) / 2.0, 24, 24).adjusted(1, 1, -1, -1);
  p.drawPath(kit::continuousRect(square, 3 - line / 2));
}

void MarchingFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  updateTimer();
}

void MarchingFrame::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  updateTimer();
}

// Frames are drawn only while they can be seen moving.
void MarchingFrame::updateTimer() {
  if (isVisible() && !Appearance::reduceMotion()) {
    if (!timer_.isActive()) timer_.start();
  } else {
    timer_.stop();
  }
}
