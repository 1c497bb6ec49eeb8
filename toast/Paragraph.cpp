#include "toast/Paragraph.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <utility>

namespace {
const QChar kEllipsis(0x2026);
}

Paragraph::Paragraph(const QString& text, const QFont& font, qreal width, const Options& options) : width_(width) {
  if (text.isEmpty()) return;
  // QTextLayout breaks lines only at line separators.
  QString content = text;
  content.replace(QLatin1Char('\n'), QChar::LineSeparator);
  layOut(content, font, width, options);
  if (options.maxLines <= 0 || layout_->lineCount() <= options.maxLines) return;

  // Keep the first lines as they are and end the last one with an ellipsis,
  // cut short where it would not fit.
  const QTextLine last = layout_->lineAt(options.maxLines - 1);
  QString kept = content.left(last.textStart());
  QString tail = content.mid(last.textStart());
  const qsizetype brk = tail.indexOf(QChar::LineSeparator);
  if (brk >= 0) tail.truncate(brk);
  while (!tail.isEmpty() && tail.back().isSpace()) tail.chop(1);
  tail = QFontMetricsF(font).elidedText(tail + kEllipsis, Qt::ElideRight, width);
  if (tail.isEmpty()) tail = kEllipsis;
  if (!kept.isEmpty() && kept.back() != QChar::LineSeparator) {
    // The kept lines ended by wrapping: a separator keeps them where they broke.
    kept += QChar::LineSeparator;
  }
  layOut(kept + tail, font, width, options);
  truncated_ = true;
}

void Paragraph::layOut(const QString& text, const QFont& font, qreal width, const Options& options) {
  layout_ = std::make_unique<QTextLayout>(text, font);
  QTextOption option((options.alignRight ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute);
  option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout_->setTextOption(option);
  layout_->setCacheEnabled(true);
  qreal y = 0;
  height_ = 0;
  layout_->beginLayout();
  for (QTextLine line = layout_->createLine(); line.isValid(); line = layout_->createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    height_ = y + line.height();
    y += line.height() + options.extraSpacing;
  }
  layout_->endLayout();
}

Paragraph::~Paragraph() = default;
Paragraph::Paragraph(Paragraph&&) noexcept = default;
Paragraph& Paragraph::operator=(Paragraph&&) noexcept = default;

int Paragraph::lineCount() const { return layout_ ? layout_->lineCount() : 0; }

QString Paragraph::shownText() const {
  if (!layout_) return {};
  QStringList lines;
  const QString text = layout_->text();
  for (int i = 0; i < layout_->lineCount(); ++i) {
    const QTextLine line = layout_->lineAt(i);
    QString part = text.mid(line.textStart(), line.textLength());
    while (!part.isEmpty() && (part.back() == QChar::LineSeparator || part.back().isSpace())) part.chop(1);
    lines << part;
  }
  return lines.join(QLatin1Char('\n'));
}

int Paragraph::cursorAt(const QPointF& point) const {
  if (!layout_ || layout_->lineCount() == 0) return 0;
  for (int i = 0; i < layout_->lineCount(); ++i) {
    const QTextLine line = layout_->lineAt(i);
    if (point.y() < line.y() + line.height() || i == layout_->lineCount() - 1) {
      return line.xToCursor(point.x());
    }
  }
  return 0;
}

QString Paragraph::text(int from, int to) const {
  if (!layout_) return {};
  if (from > to) std::swap(from, to);
  QString part = layout_->text().mid(from, to - from);
  part.replace(QChar::LineSeparator, QLatin1Char('\n'));
  return part;
}

void Paragraph::paint(QPainter& p, const QPointF& topLeft, const QColor& color, int selectFrom, int selectTo,
                      const QColor& highlight) const {
  if (!layout_) return;
  if (selectFrom > selectTo) std::swap(selectFrom, selectTo);
  QList<QTextLayout::FormatRange> selections;
  if (selectTo > selectFrom) {
    QTextLayout::FormatRange range;
    range.start = selectFrom;
    range.length = selectTo - selectFrom;
    range.format.setBackground(highlight);
    range.format.setForeground(color);
    selections << range;
  }
  p.save();
  p.setPen(color);
  layout_->draw(&p, topLeft, selections);
  p.restore();
}
