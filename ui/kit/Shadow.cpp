#include "ui/kit/Shadow.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace kit {
namespace {

// One box-blur pass over the alpha bytes of a premultiplied ARGB image, along
// rows (horizontal) or columns, with a running sum.
void boxPass(QImage& img, int r, bool horizontal) {
  const int w = img.width(), h = img.height();
  const int lines = horizontal ? h : w;
  const int len = horizontal ? w : h;
  std::vector<int> src(static_cast<size_t>(len));
  for (int line = 0; line < lines; ++line) {
    auto at = [&](int i) -> QRgb& {
      return horizontal ? reinterpret_cast<QRgb*>(img.scanLine(line))[i]
                        : reinterpret_cast<QRgb*>(img.scanLine(i))[line];
    };
    for (int i = 0; i < len; ++i) src[size_t(i)] = qAlpha(at(i));
    int sum = 0;
    for (int i = -r; i <= r; ++i) sum += (i >= 0 && i < len) ? src[size_t(i)] : 0;
    const int span = 2 * r + 1;
    for (int i = 0; i < len; ++i) {
      const int a = sum / span;
      at(i) = qRgba(0, 0, 0, a);
      const int out = i - r, in = i + r + 1;
      if (out >= 0) sum -= src[size_t(out)];
      if (in < len) sum += src[size_t(in)];
    }
  }
}

}  // namespace

void drawShadow(QPainter& painter, const QRectF& rect, qreal radius, qreal blur, const QPointF& offset,
                const QColor& color) {
  if (rect.isEmpty() || color.alpha() == 0) return;
  const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
  const qreal reach = shadowReach(blur);
  const QRectF area = rect.adjusted(-reach, -reach, reach, reach);
  QImage mask(int(std::ceil(area.width() * dpr)), int(std::ceil(area.height() * dpr)),
              QImage::Format_ARGB32_Premultiplied);
  mask.fill(Qt::transparent);
  {
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(dpr, dpr);
    QPainterPath shape;
    shape.addRoundedRect(rect.translated(-area.topLeft()), radius, radius);
    p.fillPath(shape, Qt::black);
  }
  // Three box passes approximate a Gaussian of sigma = blur / 2.
  const qreal sigma = blur / 2 * dpr;
  const int r = std::max(0, int(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
  if (r > 0) {
    for (int pass = 0; pass < 3; ++pass) {
      boxPass(mask, r, true);
      boxPass(mask, r, false);
    }
  }
  {
    QPainter p(&mask);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(mask.rect(), color);
  }
  mask.setDevicePixelRatio(dpr);
  painter.drawImage(area.topLeft() + offset, mask);
}

}  // namespace kit
