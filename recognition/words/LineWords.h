#pragma once
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "recognition/engines/EngineRun.h"
#include "recognition/base/Result.h"

namespace ocr {

// The box of a character range [from, to) of a line's text, or none.
using RangeBox = std::function<std::optional<PixelRect>(qsizetype from, qsizetype to)>;

// The word pieces of one line: its text cut at whitespace, each word with the
// box of its range. When any word has no box the line is one piece: `fallback`
// (the line's box) with the whole text as it stands. Empty or all-whitespace
// text gives no piece.
std::vector<Piece> lineWords(const QString& text, const PixelRect& fallback, const RangeBox& boxOf);

// Character-range boxes of a line from the engine's words: each word is found
// in the line's text in order; a range has a box when every character in it
// that is not whitespace belongs to a found word with a box, and the box is
// the union of those words' boxes (prepared pixels).
class EngineRanges {
 public:
  EngineRanges(const QString& text, const std::vector<EngineWord>& words);
  std::optional<QRect> box(qsizetype from, qsizetype to) const;

 private:
  struct Span {
    qsizetype from;
    qsizetype to;
    QRect box;
  };
  QString text_;
  std::vector<Span> spans_;  // in text order, not overlapping
};

}  // namespace ocr
