#include "recognition/words/LineWords.h"

namespace ocr {

namespace {

// White_Space in the Unicode sense; QChar::isSpace is that property.
bool isSpace(QChar c) { return c.isSpace(); }

}  // namespace

std::vector<Piece> lineWords(const QString& text, const PixelRect& fallback, const RangeBox& boxOf) {
  std::vector<Piece> pieces;
  bool allBoxed = true;
  for (qsizetype i = 0; i < text.size();) {
    if (isSpace(text[i])) {
      ++i;
      continue;
    }
    qsizetype end = i;
    while (end < text.size() && !isSpace(text[end])) ++end;
    const std::optional<PixelRect> box = boxOf ? boxOf(i, end) : std::nullopt;
    if (!box) allBoxed = false;
    pieces.push_back({box.value_or(PixelRect{}), text.mid(i, end - i)});
    i = end;
  }
  if (pieces.empty() || allBoxed) return pieces;
  return {Piece{fallback, text}};
}

EngineRanges::EngineRanges(const QString& text, const std::vector<EngineWord>& words) : text_(text) {
  qsizetype pos = 0;
  for (const EngineWord& word : words) {
    if (word.text.isEmpty()) continue;
    const qsizetype at = text_.indexOf(word.text, pos);
    if (at < 0) continue;  // not found in order: its characters stay without a box
    pos = at + word.text.size();
    if (word.box) spans_.push_back({at, pos, *word.box});
  }
}

std::optional<QRect> EngineRanges::box(qsizetype from, qsizetype to) const {
  if (from < 0 || to > text_.size() || from >= to) return std::nullopt;
  QRect united;
  qsizetype covered = from;  // every character before this one is accounted for
  for (const Span& span : spans_) {
    if (span.to <= from || span.from >= to) continue;
    while (covered < span.from && isSpace(text_[covered])) ++covered;
    if (covered < span.from) return std::nullopt;  // a gap of characters without a box
    united = united.isNull() ? span.box : united.united(span.box);
    covered = std::max(covered, span.to);
  }
  while (covered < to && isSpace(text_[covered])) ++covered;
  if (covered < to || united.isNull()) return std::nullopt;
  return united;
}

}  // namespace ocr
