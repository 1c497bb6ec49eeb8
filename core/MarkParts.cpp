#include "core/MarkParts.h"

#include <algorithm>
#include <cmath>

namespace MarkParts {

QPainterPath cornerBrackets(const QRectF& c, qreal arm) {
  const qreal l = c.left(), t = c.top(), r = c.right(), b = c.bottom();
  QPainterPath path;
  path.moveTo(l, t + arm);
  path.lineTo(l, t);
  path.lineTo(l + arm, t);
  path.moveTo(r - arm, t);
  path.lineTo(r, t);
  path.lineTo(r, t + arm);
  path.moveTo(r, b - arm);
  path.lineTo(r, b);
  path.lineTo(r - arm, b);
  path.moveTo(l + arm, b);
  path.lineTo(l, b);
  path.lineTo(l, b - arm);
  return path;
}

QImage transparentSquare(int size, qreal dpr) {
  const int device = std::max(1, int(std::lround(size * dpr)));
  QImage image(device, device, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  return image;
}

}  // namespace MarkParts
