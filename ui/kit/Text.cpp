#include "ui/kit/Text.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <cmath>

namespace kit {
namespace {

const QString kEllipsis = QStringLiteral("\u2026");

Qt::LayoutDirection directionOf(const QString& text, Qt::LayoutDirection wanted) {
  if (wanted != Qt::LayoutDirectionAuto) return wanted;
  return text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

QFont spaced(QFont font, qreal letterSpacing) {
  if (letterSpacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
  return font;
}

int pixelSizeOf(const QFont& font) {
  return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

qreal advance(const QString& text, const QFont& font) {
  return text.isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(text);
}

}  // namespace

QFont font(qreal pixelSize, QFont::Weight weight, const QString& family) {
  QFont f = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont) : QFont(family);
  f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
  f.setWeight(weight);
  return f;
}

qreal lineWidth(const QString& text, const QFont& font, const LineOptions& options) {
  return advance(text, spaced(font, options.letterSpacing));
}

FittedLine fitLine(const QString& text, const QFont& font, qreal maxWidth, const LineOptions& options) {
  FittedLine line;
  line.direction = directionOf(text, options.direction);
  line.font = spaced(font, options.letterSpacing);
  line.text = text;
  line.width = advance(text, line.font);
  if (line.width <= maxWidth) return line;

  if (options.shrinkToFit) {
    const int size = pixelSizeOf(line.font);
    const int smallest = int(std::ceil(size * kMinShrink));
    for (int px = size - 1; px >= smallest; --px) {
      line.font.setPixelSize(px);
      line.width = advance(text, line.font);
      if (line.width <= maxWidth) return line;
    }
  }

  line.text = QFontMetricsF(line.font).elidedText(text, Qt::ElideRight, std::max<qreal>(0, maxWidth));
  // Qt gives up on widths too small for the ellipsis; keep at least that.
  if (line.text.isEmpty()) line.text = kEllipsis;
  line.width = advance(line.text, line.font);
  line.elided = true;
  return line;
}

void drawLine(QPainter& p, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment, const LineOptions& options) {
  if (text.isEmpty()) return;
  const FittedLine line = fitLine(text, font, rect.width(), options);
  const Qt::Alignment visual = QStyle::visualAlignment(line.direction, alignment);
  const int forced = line.direction == Qt::RightToLeft ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
  p.save();
  p.setFont(line.font);
  p.setPen(color);
  p.setLayoutDirection(line.direction);
  p.drawText(rect, int(visual) | Qt::TextSingleLine | forced, line.text);
  p.restore();
}

TextBlock::TextBlock(const QString& text, const QFont& font, qreal width, const BlockOptions& options)
    : width_(width) {
  if (text.isEmpty()) return;
  QString content = text;
  // QTextLayout breaks lines only at line separators.
  content.replace(QLatin1Char('\n'), QChar::LineSeparator);
  layout_ = std::make_unique<QTextLayout>(content, font);
  // QTextLayout reads a leading alignment as plain left whatever the text's
  // direction (measured), so the visual side is resolved here.
  const Qt::LayoutDirection direction = directionOf(text, options.direction);
  QTextOption option(QStyle::visualAlignment(direction, options.alignment) | Qt::AlignAbsolute);
  option.setTextDirection(direction);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout_->setTextOption(option);
  layout_->setCacheEnabled(true);

  qreal y = 0;
  layout_->beginLayout();
  for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    height_ = y + line.height();
    y += line.height() * options.lineSpacing + options.extraSpacing;
  }
  layout_->endLayout();
}

TextBlock::~TextBlock() = default;
TextBlock::TextBlock(TextBlock&&) noexcept = default;
TextBlock& TextBlock::operator=(TextBlock&&) noexcept = default;

int TextBlock::lineCount() const { return layout_ ? layout_->lineCount() : 0; }

void TextBlock::paint(QPainter& p, const QPointF& topLeft, const QColor& color) const {
  if (!layout_) return;
  p.save();
  p.setPen(color);
  layout_->draw(&p, topLeft);
  p.restore();
}

}  // namespace kit
