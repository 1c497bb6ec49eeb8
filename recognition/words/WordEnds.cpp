#include "recognition/words/WordEnds.h"

#include <algorithm>
#include <vector>

#include "recognition/words/CodeInk.h"
#include "recognition/base/Result.h"

namespace ocr {

namespace {

// Ink is darker than halfway from the ground to the word's darkest pixel, as
// the engine's own boxes have it: the rims a softened bitmap spreads are not,
// and the rim of the next word's first letter must not hold the end here.
bool inkIn(const QImage& grey8, int x, const QRect& rows, int threshold) {
  for (int y = std::max(0, rows.top()); y <= std::min(grey8.height() - 1, rows.bottom()); ++y)
    if (grey8.constScanLine(y)[x] < threshold) return true;
  return false;
}

// A sliver of the next word's first letter is this narrow against the
// word's height at most.
constexpr double kSliver = 0.15;

}  // namespace

void endWordsAtInk(EngineLine& line, const QImage& grey8, int ground) {
  std::vector<EngineWord*> standing;
  for (EngineWord& w : line.words)
    if (w.box && !w.box->isEmpty()) standing.push_back(&w);
  std::stable_sort(standing.begin(), standing.end(),
                   [](const EngineWord* a, const EngineWord* b) { return a->box->left() < b->box->left(); });
  for (size_t i = 0; i + 1 < standing.size(); ++i) {
    QRect& box = *standing[i]->box;
    const int next = standing[i + 1]->box->left();
    if (next <= box.left() || box.right() < next) continue;
    const int from = std::max(box.left(), 0);
    const int threshold = halfwayToDarkest(grey8, box, ground);
    int x = std::min(next - 1, grey8.width() - 1);
    // The next word's box may start a little inside its first letter: a
    // sliver of ink just before it that blank columns part from the rest is
    // that letter's.
    int sliver = x;
    while (sliver > from && x - sliver < kSliver * box.height() && inkIn(grey8, sliver, box, threshold)) --sliver;
    if (sliver < x && !inkIn(grey8, sliver, box, threshold)) x = sliver;
    while (x > from && !inkIn(grey8, x, box, threshold)) --x;
    box.setRight(std::max(x, box.left()));
  }
}

void splitAtSpaces(EngineLine& line, const QImage& grey8, int ground) {
  std::vector<double> pitches;
  for (const EngineWord& w : line.words)
    if (w.box && w.text.size() >= 3) pitches.push_back(double(w.box->width()) / double(w.text.size()));
  if (pitches.size() < 3) return;
  std::nth_element(pitches.begin(), pitches.begin() + std::ptrdiff_t(pitches.size() / 2), pitches.end());
  const double pitch = pitches[pitches.size() / 2];
  qsizetype pos = 0;
  for (size_t i = 0; i < line.words.size(); ++i) {
    EngineWord& w = line.words[i];
    const qsizetype at = w.text.isEmpty() ? -1 : line.text.indexOf(w.text, pos);
    if (at < 0) continue;
    pos = at + w.text.size();
    if (!w.box || w.text.size() < 2 || text::isRightToLeft(w.text)) continue;
    // Columns blank from the top of the line to its foot: an underscore
    // below the word's box fills its cell.
    const QRect box = QRect(w.box->left(), 0, w.box->width(), grey8.height()) & grey8.rect();
    if (box.isEmpty()) continue;
    // Any mark a quarter of the way from the ground to the darkest is ink
    // here: a word's letters may be lighter than others (syntax colours).
    const int threshold = ground - (ground - halfwayToDarkest(grey8, *w.box, ground)) / 2;
    // The widest run of blank columns between the word's first and last ink.
    int first = box.left(), last = box.right();
    while (first < last && !inkIn(grey8, first, box, threshold)) ++first;
    while (last > first && !inkIn(grey8, last, box, threshold)) --last;
    int gapFrom = 0, gapTo = -1;
    for (int x = first, run = -1; x <= last; ++x) {
      if (!inkIn(grey8, x, box, threshold)) {
        if (run < 0) run = x;
        continue;
      }
      if (run >= 0 && x - run > gapTo - gapFrom + 1) gapFrom = run, gapTo = x - 1;
      run = -1;
    }
    if (gapTo - gapFrom + 1 < pitch) continue;
    // The letters on either side in proportion to the room they take.
    const double middle = (gapFrom + gapTo) / 2.0;
    const auto cut = qsizetype(std::lround(double(w.text.size()) * (middle - first) / double(last + 1 - first)));
    if (cut < 1 || cut >= w.text.size()) continue;
    EngineWord right{w.text.mid(cut), QRect(QPoint(gapTo + 1, w.box->top()), QPoint(w.box->right(), w.box->bottom()))};
    w.text.truncate(cut);
    w.box->setRight(gapFrom - 1);
    line.text.insert(at + cut, QLatin1Char(' '));
    pos = at + cut + 1;
    line.words.insert(line.words.begin() + std::ptrdiff_t(i) + 1, std::move(right));
  }
}

}  // namespace ocr
