#include "core/AppMark.h"

#include <QPainter>
#include <QPainterPath>

#include "core/Ink.h"
#include "core/MarkParts.h"

namespace AppMark {
namespace {

constexpr qreal kGrid = 180;
constexpr qreal kEmptyOpacity = 0.45;
// At this width and below the strokes get heavier.
constexpr qreal kSmallWidth = 28;

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

  p.strokePath(MarkParts::cornerBrackets(QRectF(QPointF(50, 52), QPointF(150, 148)), 20),
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
  QImage img = MarkParts::transparentSquare(size, dpr);
  QPainter p(&img);
  draw(p, QRectF(0, 0, size, size), state, 0, true);
  return img;
}

}  // namespace AppMark
