#pragma once
#include <QColor>
#include <QFont>
#include <QPointF>
#include <QString>
#include <memory>

class QPainter;
class QTextLayout;

// Text wrapped to a width with an optional limit on its lines: when the text
// needs more, the last shown line ends in "…". Laid out once, painted often.
class Paragraph {
 public:
  struct Options {
    int maxLines = 0;         // 0: no limit
    qreal extraSpacing = 0;   // pixels between lines
    bool alignRight = false;  // the side the lines keep to (the interface's leading edge)
  };

  Paragraph() = default;
  Paragraph(const QString& text, const QFont& font, qreal width, const Options& options);
  ~Paragraph();
  Paragraph(Paragraph&&) noexcept;
  Paragraph& operator=(Paragraph&&) noexcept;

  qreal width() const { return width_; }
  qreal height() const { return height_; }
  int lineCount() const;
  bool truncated() const { return truncated_; }
  // The text as shown, lines joined by "\n" (truncated lines end in "…").
  QString shownText() const;

  // The text position nearest to a point (relative to the top left).
  int cursorAt(const QPointF& point) const;
  // The shown text between two positions, lines separated by "\n".
  QString text(int from, int to) const;

  // Paints the lines; the positions [selectFrom, selectTo) on a highlight.
  void paint(QPainter& painter, const QPointF& topLeft, const QColor& color, int selectFrom = 0, int selectTo = 0,
             const QColor& highlight = {}) const;

 private:
  void layOut(const QString& text, const QFont& font, qreal width, const Options& options);

  std::unique_ptr<QTextLayout> layout_;
  qreal width_ = 0;
  qreal height_ = 0;
  bool truncated_ = false;
};
