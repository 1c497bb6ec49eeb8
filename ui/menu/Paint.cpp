#include "ui/menu/Paint.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QWidget>
#include <cmath>

#include "core/Ink.h"

namespace menu {

QColor tone(Tone t) {
  switch (t) {
    case Tone::text: return Ink::text();
    case Tone::sub: return Ink::sub();
    case Tone::faint: return Ink::faint();
    case Tone::seal: return Ink::seal();
    case Tone::paper: return Ink::hanjiLight();
  }
  return Ink::text();
}

bool isRTL(const QWidget* w) { return w->layoutDirection() == Qt::RightToLeft; }

QRectF visual(const QWidget* w, const QRectF& r) {
  if (!isRTL(w)) return r;
  return QRectF(w->width() - r.right(), r.top(), r.width(), r.height());
}

void drawText(QPainter& p, const QWidget* w, const QRectF& r, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment, kit::LineOptions options) {
  options.direction = w->layoutDirection();
  const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
  kit::drawLine(p, visual(w, r), text, font, color, (horizontal ? horizontal : Qt::AlignLeading) | Qt::AlignVCenter,
                options);
}

qreal width(const QString& text, const QFont& font, qreal letterSpacing) {
  kit::LineOptions options;
  options.letterSpacing = letterSpacing;
  return std::ceil(kit::lineWidth(text, font, options));
}

qreal lineHeight(const QFont& font) { return std::ceil(QFontMetricsF(font).height()); }

}  // namespace menu
