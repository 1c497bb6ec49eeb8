#include "ui/kit/KeyCap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Text.h"

namespace kit::keycap {
namespace {
constexpr qreal kPadding = 4;
constexpr qreal kRadius = 4;
}  // namespace

QFont font() { return kit::font(10, QFont::Normal); }

QSizeF size(const QString& key) {
  return {std::ceil(QFontMetricsF(font()).horizontalAdvance(key)) + 2 * kPadding, kHeight};
}

qreal rowWidth(const QStringList& caps) {
  qreal w = 0;
  for (const QString& cap : caps) w += size(cap).width();
  return caps.isEmpty() ? 0 : w + kSpacing * (caps.size() - 1);
}

void paint(QPainter& p, const QPointF& topLeft, const QString& key) {
  const QRectF r(topLeft, size(key));
  QColor border = Ink::faint();
  border.setAlphaF(border.alphaF() * 0.5);
  kit::fillWithInnerBorder(p, r, kRadius, Qt::transparent, border, 1);
  kit::LineOptions options;
  options.direction = Qt::LeftToRight;
  kit::drawLine(p, r, key, font(), Ink::sub(), Qt::AlignCenter, options);
}

void paintRow(QPainter& p, const QPointF& topLeft, const QStringList& caps) {
  qreal x = topLeft.x();
  for (const QString& cap : caps) {
    paint(p, QPointF(x, topLeft.y()), cap);
    x += size(cap).width() + kSpacing;
  }
}

}  // namespace kit::keycap
