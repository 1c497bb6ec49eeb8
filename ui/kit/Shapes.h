#pragma once
#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;

namespace kit {

// A rectangle with continuous-curvature corners: each corner eases out of the
// straight edge instead of meeting a circular arc abruptly, so it reads softer
// than a plain rounded rectangle of the same radius. A corner reaches about
// 1.28 x radius along each edge, never more than half that side.
QPainterPath continuousRect(const QRectF& rect, qreal radius);

// Fills the shape and strokes its border inside it, so the border never
// spills past the rect (width 0 or a transparent border: fill only).
void fillWithInnerBorder(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill,
                         const QColor& border, qreal width);

}  // namespace kit
