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

  qreal height() const { return height_; }
  int lineCount() const;
  bool truncated() const { return truncated_; }
  // The text as shown, lines joined by "\n" (truncated lines end in "…").
  QString shownText() const;
  // The first line's baseline, from the top.
  qreal firstBaseline() const { return baseline_; }

  void paint(QPainter& painter, const QPointF& topLeft, const QColor& color) const;

 private:
  void layOut(const QString& text, const QFont& font, qreal width, const Options& options);

  std::unique_ptr<QTextLayout> layout_;
  qreal height_ = 0;
  qreal baseline_ = 0;
  bool truncated_ = false;
};
