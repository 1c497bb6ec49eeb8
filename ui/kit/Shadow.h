#pragma once
#include <QColor>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace kit {

// A soft drop shadow under a rounded rectangle, as a blurred copy of its
// shape: `blur` is the blur radius (the shadow fades out over about that many
// pixels past the shape), `offset` moves it (y down), `color` carries its
// strength in the alpha. Draw the shape itself afterwards.
void drawShadow(QPainter& painter, const QRectF& rect, qreal radius, qreal blur, const QPointF& offset,
                const QColor& color);

// How far a shadow reaches beyond its shape on each side.
inline qreal shadowReach(qreal blur) { return blur * 1.5; }

}  // namespace kit
