#pragma once
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <memory>

class QPainter;
class QTextLayout;

namespace kit {

// A font at a size in logical pixels (rounded to whole pixels) and a weight;
// an empty family means the desktop's general font.
QFont font(qreal pixelSize, QFont::Weight weight, const QString& family = {});

// How one line of text is fitted and drawn.
struct LineOptions {
  qreal letterSpacing = 0;  // extra pixels after each letter
  bool shrinkToFit = false;  // shrink the font, down to 85 %, before eliding
  Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;  // auto: from the text
};

// A line as it will be drawn into a given width.
struct FittedLine {
  QString text;  // ends with "…" when the tail had to go
  QFont font;    // possibly shrunk
  qreal width = 0;
  bool elided = false;
  Qt::LayoutDirection direction = Qt::LeftToRight;
};

// The smallest a shrunk font may get, as a share of its size.
inline constexpr qreal kMinShrink = 0.85;

// Fits a line into maxWidth: first shrinks the font when asked, then elides the tail.
FittedLine fitLine(const QString& text, const QFont& font, qreal maxWidth, const LineOptions& options = {});

// The width the line takes unfitted, letter spacing included.
qreal lineWidth(const QString& text, const QFont& font, const LineOptions& options = {});

// Draws one line fitted into the rect's width. Leading/trailing alignments (and
// plain left/right without Qt::AlignAbsolute) follow the text direction.
void drawLine(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment, const LineOptions& options = {});

// How a wrapped block spaces and aligns its lines.
struct BlockOptions {
  qreal lineSpacing = 1.0;   // multiplier of each line's own height
  qreal extraSpacing = 0;    // pixels added between lines
  Qt::Alignment alignment = Qt::AlignLeading;
  Qt::LayoutDirection direction = Qt::LayoutDirectionAuto;  // auto: from the text
};

// Text wrapped to a width (at word boundaries, inside a word only when one
// does not fit), laid out once and painted as often as needed.
class TextBlock {
 public:
  TextBlock(const QString& text, const QFont& font, qreal width, const BlockOptions& options = {});
  ~TextBlock();
  TextBlock(TextBlock&&) noexcept;
  TextBlock& operator=(TextBlock&&) noexcept;

  qreal width() const { return width_; }
  // From the first line's top to the last line's bottom; 0 for no text.
  qreal height() const { return height_; }
  int lineCount() const;

  void paint(QPainter& painter, const QPointF& topLeft, const QColor& color) const;

 private:
  std::unique_ptr<QTextLayout> layout_;
  qreal width_ = 0;
  qreal height_ = 0;
};

}  // namespace kit
