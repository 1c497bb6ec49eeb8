#include "capture/MarkerWindow.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "capture/CaptureGeometry.h"
#include "core/Ink.h"
#include "ui/kit/Shadow.h"

namespace {

constexpr qreal kStroke = 2.5;

QColor withAlpha(QColor c, qreal a) {
  c.setAlphaF(float(c.alphaF() * a));
  return c;
}

// What a stroke of width w with square caps covers along one segment.
QRect segmentRect(const QPointF& a, const QPointF& b, qreal w) {
  return QRectF(a, b).normalized().adjusted(-w / 2, -w / 2, w / 2, w / 2).toAlignedRect();
}

// The outline of a rectangle stroked with width w, as four bands.
QRegion outlineRegion(const QRectF& r, qreal w) {
  QRegion out;
  out += segmentRect(r.topLeft(), r.topRight(), w);
  out += segmentRect(r.bottomLeft(), r.bottomRight(), w);
  out += segmentRect(r.topLeft(), r.bottomLeft(), w);
  out += segmentRect(r.topRight(), r.bottomRight(), w);
  return out;
}

QRegion bracketRegion(const QRectF& r, qreal arm, qreal w) {
  QRegion out;
  const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()};
  for (const QPointF& c : corners) {
    const qreal dx = c.x() == r.left() ? arm : -arm;
    const qreal dy = c.y() == r.top() ? arm : -arm;
    out += segmentRect(c, c + QPointF(dx, 0), w);
    out += segmentRect(c, c + QPointF(0, dy), w);
  }
  return out;
}

QPainterPath checkPath(const QRectF& badge) {
  // Drawn in a 24-unit badge, y down.
  const qreal s = badge.width() / 24;
  QPainterPath p;
  p.moveTo(badge.topLeft() + QPointF(6.5, 11.5) * s);
  p.lineTo(badge.topLeft() + QPointF(10.5, 15.8) * s);
  p.lineTo(badge.topLeft() + QPointF(18, 7.5) * s);
  return p;
}

QRectF bandRect(const marker::Frame& f) {
  return QRectF(f.clip.left(), f.clip.top() + f.bandCentre - 1, f.clip.width(), 2).intersected(f.clip);
}

}  // namespace

MarkerWindow::MarkerWindow(const QRectF& picked, Clock clock, bool translucent, bool still)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint),
      clock_(std::move(clock)),
      timeline_(QRectF(), 0),
      translucent_(translucent) {
  const QRectF outer = picked.adjusted(-marker::kPad, -marker::kPad, marker::kPad, marker::kPad);
  const QRect frame = outer.toAlignedRect();
  timeline_ = marker::Timeline(picked.translated(-QPointF(frame.topLeft())), clock_());
  timeline_.setStill(still);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  if (translucent_) {
    setAttribute(Qt::WA_TranslucentBackground);
  } else {
    setAttribute(Qt::WA_OpaquePaintEvent);
    shape_ = shapeRegion();
    setMask(shape_);
  }
  setGeometry(frame);
  timer_.setInterval(16);
  connect(&timer_, &QTimer::timeout, this, &MarkerWindow::tick);
}

void MarkerWindow::wake() {
  tick();
  if (!isHidden() && timeline_.moving(clock_())) timer_.start();
}

void MarkerWindow::tick() {
  const double t = clock_();
  const marker::Frame f = timeline_.frameAt(t);
  const auto fade = timeline_.fadeStart();
  // Without a compositor there is no fading: the panel goes when it would begin.
  if (f.done || (!translucent_ && fade && t >= *fade)) {
    timer_.stop();
    hide();
    deleteLater();
    return;
  }
  if (!translucent_) {
    const QRegion s = shapeRegion();
    if (s != shape_) {
      shape_ = s;
      setMask(shape_);
    }
  }
  update();
  if (!timeline_.moving(t)) {
    timer_.stop();
    if (fade && t < *fade)
      QTimer::singleShot(int(std::ceil((*fade - t) * 1000)), this, &MarkerWindow::wake);
  }
}

QRectF MarkerWindow::badgeRect(const marker::Frame& f) const {
  const QRectF in = timeline_.inner();
  const QPointF centre(in.right() + 2, in.top() - 2);
  const qreal side = 24 * f.badgeScale;
  return {centre.x() - side / 2, centre.y() - side / 2, side, side};
}

QRegion MarkerWindow::shapeRegion() const {
  const marker::Frame f = timeline_.frameAt(clock_());
  QRegion out;
  if (f.band) out += bandRect(f).toAlignedRect();
  if (f.bracketOpacity >= 0.5) out += bracketRegion(f.brackets, f.arm, kStroke);
  if (f.ringOpacity >= 0.5) out += outlineRegion(timeline_.inner().adjusted(-2, -2, 2, 2), kStroke);
  if (f.badge && f.badgeOpacity >= 0.5) out += badgeRect(f).toAlignedRect();
  return out;
}

void MarkerWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const marker::Frame f = timeline_.frameAt(clock_());
  if (translucent_)
    paintTranslucent(p, f);
  else
    paintSolid(p, f);
}

void MarkerWindow::paintTranslucent(QPainter& p, const marker::Frame& f) {
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(rect(), Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setRenderHint(QPainter::Antialiasing);
  p.setOpacity(f.opacity);
  if (f.band) p.fillRect(bandRect(f), withAlpha(Ink::seal(), 0.55));
  if (f.bracketOpacity > 0) {
    p.setPen(QPen(withAlpha(f.bracketColor, f.bracketOpacity), kStroke, Qt::SolidLine, Qt::SquareCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(capture::bracketPath(f.brackets, f.arm));
  }
  if (f.ringOpacity > 0) {
    p.setPen(QPen(withAlpha(Ink::seal(), f.ringOpacity), kStroke));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(timeline_.inner().adjusted(-2, -2, 2, 2), 4, 4);
  }
  if (f.badge && f.badgeOpacity > 0) {
    const QRectF badge = badgeRect(f);
    p.setOpacity(f.opacity * f.badgeOpacity);
    kit::drawShadow(p, badge, 3 * f.badgeScale, 5, QPointF(0, 3), withAlpha(Ink::seal(), 0.4));
    QPainterPath plate;
    plate.addRoundedRect(badge, 3 * f.badgeScale, 3 * f.badgeScale);
    p.fillPath(plate, Ink::seal());
    p.setPen(QPen(Ink::hanjiLight(), 2.4 * f.badgeScale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(checkPath(badge));
  }
}

void MarkerWindow::paintSolid(QPainter& p, const marker::Frame& f) {
  // The mask shows exactly these shapes: fill them whole, without soft edges.
  if (f.band) p.fillRect(bandRect(f).toAlignedRect(), Ink::seal());
  if (f.bracketOpacity >= 0.5) {
    for (const QRect& r : bracketRegion(f.brackets, f.arm, kStroke)) p.fillRect(r, f.bracketColor);
  }
  if (f.ringOpacity >= 0.5) {
    for (const QRect& r : outlineRegion(timeline_.inner().adjusted(-2, -2, 2, 2), kStroke))
      p.fillRect(r, Ink::seal());
  }
  if (f.badge && f.badgeOpacity >= 0.5) {
    const QRectF badge = badgeRect(f);
    p.fillRect(badge.toAlignedRect(), Ink::seal());
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Ink::hanjiLight(), 2.4 * f.badgeScale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(checkPath(badge));
  }
}
