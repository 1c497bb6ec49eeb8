#include "core/AppMark.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "core/Ink.h"

namespace AppMark {
namespace {

constexpr qreal kGrid = 180;
constexpr qreal kEmptyOpacity = 0.45;
// At this width and below the strokes get heavier.
constexpr qreal kSmallWidth = 28;

QPainterPath bracketsPath() {
  QPainterPath path;
  path.moveTo(50, 72);
  path.lineTo(50, 52);
  path.lineTo(70, 52);
  path.moveTo(130, 52);
  path.lineTo(150, 52);
  path.lineTo(150, 72);
  path.moveTo(150, 128);
  path.lineTo(150, 148);
  path.lineTo(130, 148);
  path.moveTo(70, 148);
  path.lineTo(50, 148);
  path.lineTo(50, 128);
  return path;
}

}  // namespace

void draw(QPainter& p, const QRectF& rect, State state, qreal phase, bool yDown) {
  const qreal k = rect.width() / kGrid;
  const bool small = rect.width() <= kSmallWidth;
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  if (yDown) {
    p.translate(rect.left(), rect.top());
    p.scale(k, k);
  } else {
    // With y growing upward the rect's top edge is its larger y.
    p.translate(rect.left(), rect.bottom());
    p.scale(k, -k);
  }
  p.translate(-10, -10);
  if (state == State::empty) p.setOpacity(p.opacity() * kEmptyOpacity);

  QPainterPath plate;
  plate.setFillRule(Qt::WindingFill);
  plate.addRoundedRect(QRectF(10, 10, 180, 180), 40, 40);
  p.fillPath(plate, Ink::hanjiLight());

  p.strokePath(bracketsPath(),
               QPen(Ink::mook(), small ? 12 : 8, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  if (state == State::empty) {
    p.restore();
    return;
  }

  const qreal b = small ? 14 : 10;
  p.fillRect(QRectF(72, 88 - b / 2, 58, b), Ink::mook());
  p.fillRect(QRectF(72, 126 - b / 2, 40, b), Ink::mook());

  const qreal t = state == State::working ? phase : 0;
  p.translate(117, 101 - 6 * t);
  p.rotate(-(6 + 8 * t));  // counter-clockwise on screen: the right end rises
  p.fillRect(QRectF(-31, -(b + 1) / 2, 62, b + 1), Ink::seal());
  p.restore();
}

QImage image(int size, State state, qreal dpr) {
  const int device = std::max(1, int(std::lround(size * dpr)));
  QImage img(device, device, QImage::Format_ARGB32_Premultiplied);
  img.setDevicePixelRatio(dpr);
  img.fill(Qt::transparent);
  QPainter p(&img);
  draw(p, QRectF(0, 0, size, size), state, 0, true);
  return img;
}

}  // namespace AppMark
