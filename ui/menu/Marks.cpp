#include "ui/menu/Marks.h"

#include <QPainter>
#include <QPainterPath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"

namespace marks {

void checkBox(QPainter& p, const QPointF& topLeft, bool on) {
  const QRectF r(topLeft, QSizeF(kSize, kSize));
  kit::fillWithInnerBorder(p, r, 3, on ? Ink::seal() : QColor(Qt::transparent), on ? Ink::seal() : Ink::faint(),
                           1.2);
  if (!on) return;
  QPainterPath tick;
  tick.moveTo(topLeft + QPointF(3.2, 6.9));
  tick.lineTo(topLeft + QPointF(5.7, 9.3));
  tick.lineTo(topLeft + QPointF(10.1, 4.1));
  QPen pen(Ink::hanjiLight(), 1.6);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setMiterLimit(10);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.strokePath(tick, pen);
  p.restore();
}

void radio(QPainter& p, const QPointF& topLeft, bool on) {
  const QRectF r(topLeft, QSizeF(kSize, kSize));
  // The ring lies wholly inside the circle: outline minus the outline inset by its width.
  const qreal w = on ? 1.3 : 1.1;
  QPainterPath ring;
  ring.addEllipse(r);
  ring.addEllipse(r.adjusted(w, w, -w, -w));
  ring.setFillRule(Qt::OddEvenFill);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(ring, on ? Ink::seal() : Ink::faint());
  if (on) {
    QPainterPath dot;
    dot.addEllipse(r.center(), 3, 3);
    p.fillPath(dot, Ink::seal());
  }
  p.restore();
}

}  // namespace marks
