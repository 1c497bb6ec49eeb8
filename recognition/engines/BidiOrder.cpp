#include "recognition/engines/BidiOrder.h"

#include <algorithm>

#include "recognition/engines/ReadingOrder.h"

namespace ocr {

namespace {

// The engine's text is in its reading order: its first strong letter tells
// which way the line runs (a line may hold as many Latin letters as Arabic).
bool runsRightToLeft(const QString& text) {
  for (const QChar c : text) {
    const QChar::Direction d = c.direction();
    if (d == QChar::DirR || d == QChar::DirAL) return true;
    if (d == QChar::DirL) return false;
  }
  return false;
}

}  // namespace

void putInReadingOrder(EngineLine& line) {
  if (line.words.size() < 2 || !runsRightToLeft(line.text)) return;
  if (std::any_of(line.words.begin(), line.words.end(), [](const EngineWord& w) { return !w.box; })) return;
  std::vector<EngineWord> seen = line.words;  // left to right as they stand
  std::stable_sort(seen.begin(), seen.end(), [](const EngineWord& a, const EngineWord& b) { return a.box->center().x() < b.box->center().x(); });
  std::vector<text::PlacedWord> placed;
  int height = 0;
  for (const EngineWord& w : seen) {
    placed.push_back({w.text, double(w.box->left()), double(w.box->left() + w.box->width())});
    height = std::max(height, w.box->height());
  }
  if (!text::anyLeftToRight(placed)) return;
  // A space wider than the words are high parts two cells of a table.
  const double nearBelow = line.box ? std::max(line.box->height(), height) : height;
  std::vector<EngineWord> ordered;
  QStringList read;
  for (size_t i : text::rightToLeftOrder(placed, nearBelow)) {
    ordered.push_back(seen[i]);
    read << seen[i].text;
  }
  line.words = std::move(ordered);
  line.text = read.join(QLatin1Char(' '));
}

}  // namespace ocr
