#include "core/Glyph.h"

#include <QPainter>
#include <QPixmap>

#include "core/Ink.h"
#include "core/MarkParts.h"

namespace {

constexpr qreal kUnits = 18;

void fillRect(QPainter& p, const QColor& color, qreal x, qreal y, qreal w, qreal h) {
  p.fillRect(QRectF(x, y, w, h), color);
}

}  // namespace

void drawGlyph(QPainter& p, Glyph glyph, const QColor& color) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);

  // Butt caps and mitred corners: the brackets end flush at their coordinates.
  p.strokePath(MarkParts::cornerBrackets(QRectF(QPointF(2.5, 2.5), QPointF(15.5, 15.5)), 3.5),
               QPen(color, 1.4, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));

  switch (glyph) {
    case Glyph::idle:
      fillRect(p, color, 5.5, 6.3, 7, 1.4);
      fillRect(p, color, 5.5, 8.6, 7, 1.4);
      fillRect(p, color, 5.5, 10.9, 4.5, 1.4);
      break;
    case Glyph::picking:
      break;
    case Glyph::picked:
      fillRect(p, color, 5.5, 6.3, 7, 1.4);
      fillRect(p, color, 5.5, 10.9, 4.5, 1.4);
      // The seal takes the middle line's place, tilted with its right end higher.
      p.translate(10.7, 8.3);
      p.rotate(-8);
      fillRect(p, color, -3.7, -0.7, 7.5, 1.5);
      break;
  }
  p.restore();
}

QImage glyphImage(Glyph glyph, int pixelSize, qreal dpr, bool darkPanel) {
  QImage image = MarkParts::transparentSquare(pixelSize, dpr);
  QPainter p(&image);
  p.scale(pixelSize / kUnits, pixelSize / kUnits);
  drawGlyph(p, glyph, darkPanel ? Ink::hanji() : QColor(Qt::black));
  return image;
}

QIcon glyphIcon(Glyph glyph, bool darkPanel) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48}) {
    icon.addPixmap(QPixmap::fromImage(glyphImage(glyph, size, 1.0, darkPanel)));
  }
  return icon;
}
