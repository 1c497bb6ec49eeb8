#pragma once
#include <QImage>
#include <QRectF>

class QPainter;

// The full-colour app mark: a paper plate with four corner brackets, two lines
// of text and a tilted red seal, drawn on a 180-unit grid (design coordinates
// 10...190, y down) at any size.
namespace AppMark {

enum class State { picked, working, empty };

// Draws the mark with its top-left corner at the rect's top-left and its side
// equal to the rect's width (the height is not used). `phase` (0...1) lifts
// and turns the seal, for `working` only. `yDown` says whether the painter's y
// axis grows downward (the usual case) or was flipped to grow upward; the
// picture comes out the same either way. Marks 28 pixels wide or less get
// heavier strokes so they stay legible.
void draw(QPainter& painter, const QRectF& rect, State state, qreal phase, bool yDown);

// The mark as a transparent square image of `size` logical pixels, at phase 0.
QImage image(int size, State state, qreal dpr = 1.0);

}  // namespace AppMark
