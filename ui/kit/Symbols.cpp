#include "ui/kit/Symbols.h"

#include <QPainter>
#include <QPainterPath>

namespace kit {
namespace {

// Stroke width as a share of the font size, like the stems of a text face.
qreal strokeFor(qreal size, QFont::Weight weight) {
  if (weight >= QFont::DemiBold) return size * 0.15;
  if (weight >= QFont::Medium) return size * 0.125;
  return size * 0.105;
}

QPen roundPen(const QColor& color, qreal width) {
  QPen pen(color, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

}  // namespace

QSizeF symbolSize(Symbol symbol, qreal size) {
  switch (symbol) {
    case Symbol::chevronForward:
    case Symbol::chevronBackward:
      return {size * 0.6, size * 0.95};
    case Symbol::magnifier:
    case Symbol::clear:
      return {size, size};
  }
  return {size, size};
}

void drawSymbol(QPainter& p, Symbol symbol, const QRectF& box, qreal size, QFont::Weight weight,
                const QColor& color, Qt::LayoutDirection direction) {
  const QSizeF s = symbolSize(symbol, size);
  const QRectF r(box.center().x() - s.width() / 2, box.center().y() - s.height() / 2, s.width(), s.height());
  const qreal stroke = strokeFor(size, weight);
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  switch (symbol) {
    case Symbol::chevronForward:
    case Symbol::chevronBackward: {
      const bool pointsRight = (symbol == Symbol::chevronForward) == (direction != Qt::RightToLeft);
      // The stroke's round caps reach half a stroke past the path.
      const QRectF in = r.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
      QPainterPath path;
      if (pointsRight) {
        path.moveTo(in.left(), in.top());
        path.lineTo(in.right(), in.center().y());
        path.lineTo(in.left(), in.bottom());
      } else {
        path.moveTo(in.right(), in.top());
        path.lineTo(in.left(), in.center().y());
        path.lineTo(in.right(), in.bottom());
      }
      p.strokePath(path, roundPen(color, stroke));
      break;
    }
    case Symbol::magnifier: {
      const qreal d = s.width() * 0.68;  // lens diameter, outer edge
      const QRectF lens(r.left() + stroke / 2, r.top() + stroke / 2, d - stroke, d - stroke);
      p.setPen(roundPen(color, stroke));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(lens);
      // The handle leaves the lens at 45 degrees and runs to the corner.
      const QPointF c = lens.center();
      const qreal k = lens.width() / 2 * 0.7071;
      p.drawLine(QPointF(c.x() + k, c.y() + k), QPointF(r.right() - stroke / 2, r.bottom() - stroke / 2));
      break;
    }
    case Symbol::clear: {
      QPainterPath disc;
      disc.addEllipse(r);
      // The cross is cut out of the disc, so it shows whatever lies behind.
      const qreal arm = s.width() * 0.2;
      const QPointF c = r.center();
      QPainterPath cross;
      cross.moveTo(c.x() - arm, c.y() - arm);
      cross.lineTo(c.x() + arm, c.y() + arm);
      cross.moveTo(c.x() + arm, c.y() - arm);
      cross.lineTo(c.x() - arm, c.y() + arm);
      QPainterPathStroker stroker;
      stroker.setWidth(std::max<qreal>(1.0, s.width() * 0.12));
      stroker.setCapStyle(Qt::RoundCap);
      p.fillPath(disc.subtracted(stroker.createStroke(cross)), color);
      break;
    }
  }
  p.restore();
}

}  // namespace kit
