#pragma once
#include <QImage>
#include <QPainterPath>
#include <QRectF>

// What the tray glyph and the app mark draw alike.
namespace MarkParts {

// Four open corner brackets, one on each corner of `corners`, each arm `arm` long.
QPainterPath cornerBrackets(const QRectF& corners, qreal arm);

// A transparent square image of `size` logical pixels at a device pixel ratio.
QImage transparentSquare(int size, qreal dpr);

}  // namespace MarkParts
