#include "capture/CaptureGeometry.h"

#include <algorithm>
#include <cmath>

#include "core/MarkParts.h"

namespace capture {

int screenAt(const std::vector<QRect>& screens, QPoint global) {
  for (size_t i = 0; i < screens.size(); ++i) {
    if (screens[i].contains(global)) return int(i);
  }
  return -1;
}

QRect rootPixels(const QRect& geometry, qreal ratio) {
  return {geometry.topLeft(), QSize(int(geometry.width() * ratio), int(geometry.height() * ratio))};
}

QRectF integral(const QRectF& r) {
  const QRectF n = r.normalized();
  const qreal left = std::floor(n.left());
  const qreal top = std::floor(n.top());
  return {left, top, std::ceil(n.right()) - left, std::ceil(n.bottom()) - top};
}

std::optional<QRect> cropRect(const QRectF& view, const QSizeF& viewSize, const QSize& imageSize) {
  if (viewSize.width() <= 0 || imageSize.isEmpty()) return std::nullopt;
  const qreal s = imageSize.width() / viewSize.width();
  const QRectF scaled(view.x() * s, view.y() * s, view.width() * s, view.height() * s);
  // Floating-point excess (0.1 * 3 = 0.30000000000000004) must not add a pixel.
  auto snap = [](qreal v) { return std::abs(v - std::round(v)) < 1e-6 ? std::round(v) : v; };
  const QRectF snapped = integral(QRectF(QPointF(snap(scaled.left()), snap(scaled.top())),
                                         QPointF(snap(scaled.right()), snap(scaled.bottom()))));
  if (snapped.width() <= 0 || snapped.height() <= 0) return std::nullopt;
  const QRect pixels = QRect(int(snapped.x()), int(snapped.y()), int(snapped.width()),
                             int(snapped.height()))
                           .intersected(QRect(QPoint(0, 0), imageSize));
  if (pixels.isEmpty()) return std::nullopt;
  return pixels;
}

QRectF toGlobal(const QRectF& view, const QPointF& origin) { return view.translated(origin); }

QPointF toView(const QPointF& global, const QPointF& origin) { return global - origin; }

std::vector<QRectF> viewWindows(const std::vector<QRect>& frames, const QRect& screenRoot,
                                qreal ratio, const QSizeF& viewSize) {
  std::vector<QRectF> out;
  if (ratio <= 0) return out;
  const QRectF bounds(QPointF(0, 0), viewSize);
  for (const QRect& f : frames) {
    const QRectF w((f.x() - screenRoot.x()) / ratio, (f.y() - screenRoot.y()) / ratio,
                   f.width() / ratio, f.height() / ratio);
    if (!(w.width() > 40) || !(w.height() > 40)) continue;
    const QRectF clipped = w.intersected(bounds);
    if (clipped.isEmpty() || clipped.width() < 40) continue;
    out.push_back(clipped);
  }
  return out;
}

std::optional<QRectF> firstContaining(const std::vector<QRectF>& rects, const QPointF& p) {
  for (const QRectF& r : rects) {
    if (p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom()) return r;
  }
  return std::nullopt;
}

qreal bracketArm(const QRectF& r) { return std::min({24.0, r.width() / 3, r.height() / 3}); }

QPainterPath bracketPath(const QRectF& r) { return bracketPath(r, bracketArm(r)); }

QPainterPath bracketPath(const QRectF& r, qreal a) { return MarkParts::cornerBrackets(r, a); }

}  // namespace capture
