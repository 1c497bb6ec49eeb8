#pragma once
// Paints into a transparent image, for tests of drawing code.
#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>

namespace testenv {

// An image of `size` logical pixels at `scale` device pixels each, transparent
// and antialiased, painted by `paint` in logical coordinates.
inline QImage painted(QSizeF size, const std::function<void(QPainter&)>& paint, qreal scale = 1) {
  QImage img(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)),
             QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(scale, scale);
  paint(p);
  return img;
}

}  // namespace testenv
