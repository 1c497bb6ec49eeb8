#pragma once
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <optional>
#include <vector>

// The arithmetic of a capture, kept free of windows and servers so that
// several-monitor and HiDPI cases can be checked without them.
//
// Spaces, all with the origin at the top-left and y growing downwards:
// - global space: Qt's logical desktop coordinates (QCursor::pos(),
//   QScreen::geometry()); the rectangle handed to onPicked and the marker;
// - view space: logical pixels of the overlay, origin at the captured screen's
//   top-left corner; picks, window rectangles and the remembered last pick;
// - root pixels: device pixels of the X root window (window frames, the grab);
// - image pixels: pixels of the still, origin at its top-left corner.
// A screen's top-left corner has the same numbers in global space and in root
// pixels (Qt scales sizes around each screen's origin), so a screen at
// (x, y) of logical size w x h and ratio r covers the root pixels
// (x, y, w*r, h*r).
namespace capture {

// The screen whose geometry contains the point, first match in list order
// (QRect::contains: left and top edges inside, right and bottom outside); -1
// when none does.
int screenAt(const std::vector<QRect>& screens, QPoint global);

// The root pixels a screen covers; sizes are truncated like the still's size.
QRect rootPixels(const QRect& geometry, qreal ratio);

// The smallest rectangle with whole-number edges that holds r.
QRectF integral(const QRectF& r);

// The image pixels of a pick in view space: scale s = image width / view
// width for both axes, made integral, intersected with the image. None when
// that leaves nothing (an empty pick, or one outside the still): an empty crop
// must never turn into the whole screen.
std::optional<QRect> cropRect(const QRectF& view, const QSizeF& viewSize, const QSize& imageSize);

// View space to global space and back, for a screen whose top-left corner is
// `origin` in global space.
QRectF toGlobal(const QRectF& view, const QPointF& origin);
QPointF toView(const QPointF& global, const QPointF& origin);

// Window frames in root pixels (front-most first) as the overlay offers them:
// moved into the view of the screen at `screenRoot` (root pixels) with ratio
// `ratio`, kept when wider and higher than 40 view pixels, clipped to the
// view, and dropped when nothing or less than 40 in width is left there (the
// clipped height is not tested again). Order is kept.
std::vector<QRectF> viewWindows(const std::vector<QRect>& frames, const QRect& screenRoot,
                                qreal ratio, const QSizeF& viewSize);

// The first rectangle holding the point (left/top edges in, right/bottom out).
std::optional<QRectF> firstContaining(const std::vector<QRectF>& rects, const QPointF& p);

// Corner brackets around r: arm = min(24, width / 3, height / 3); four open
// polylines, each from the arm's end to the corner and on to the other arm's end.
qreal bracketArm(const QRectF& r);
QPainterPath bracketPath(const QRectF& r);
QPainterPath bracketPath(const QRectF& r, qreal arm);

}  // namespace capture
