#include "ui/kit/Shapes.h"

#include <QPainter>
#include <algorithm>

namespace kit {
namespace {

// How far a corner reaches along its edges, per unit of radius.
constexpr qreal kReach = 1.28;
// Where the two control points sit, as a share of the reach measured from the
// corner. Chosen so the curve's midpoint lies where a circular corner's does
// (0.293 r in from both edges): the corner looks as big, only smoother.
constexpr qreal kControl = 0.2769;

}  // namespace

QPainterPath continuousRect(const QRectF& rect, qreal radius) {
  QPainterPath path;
  if (rect.isEmpty()) return path;
  const qreal reach = radius <= 0 ? 0 : kReach * radius;
  const qreal ex = std::min(reach, rect.width() / 2);
  const qreal ey = std::min(reach, rect.height() / 2);
  if (ex <= 0 || ey <= 0) {
    path.addRect(rect);
    return path;
  }
  const qreal cx = ex * kControl;
  const qreal cy = ey * kControl;
  const qreal l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();

  path.moveTo(l + ex, t);
  path.lineTo(r - ex, t);
  path.cubicTo(r - cx, t, r, t + cy, r, t + ey);
  path.lineTo(r, b - ey);
  path.cubicTo(r, b - cy, r - cx, b, r - ex, b);
  path.lineTo(l + ex, b);
  path.cubicTo(l + cx, b, l, b - cy, l, b - ey);
  path.lineTo(l, t + ey);
  path.cubicTo(l, t + cy, l + cx, t, l + ex, t);
  path.closeSubpath();
  return path;
}

void fillWithInnerBorder(QPainter& p, const QRectF& rect, qreal radius, const QColor& fill,
                         const QColor& border, qreal width) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPainterPath outer = continuousRect(rect, radius);
  if (fill.alpha() > 0) p.fillPath(outer, fill);
  if (width > 0 && border.alpha() > 0) {
    // The ring between the outline and the outline inset by the width, filled
    // even-odd: it stays inside and does not darken where it overlaps itself.
    const qreal w = std::min(width, std::min(rect.width(), rect.height()) / 2);
    const QRectF inner = rect.adjusted(w, w, -w, -w);
    QPainterPath ring = outer;
    ring.addPath(continuousRect(inner, std::max<qreal>(0, radius - w)));
    ring.setFillRule(Qt::OddEvenFill);
    p.fillPath(ring, border);
  }
  p.restore();
}

}  // namespace kit
