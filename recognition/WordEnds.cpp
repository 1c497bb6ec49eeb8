#include "recognition/WordEnds.h"

#include <algorithm>
#include <vector>

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

int inkThreshold(const QImage& grey8, const QRect& box, int ground) {
  const QRect within = box & grey8.rect();
  int darkest = 255;
  for (int y = within.top(); y <= within.bottom(); ++y)
    for (int x = within.left(); x <= within.right(); ++x) darkest = std::min<int>(darkest, grey8.constScanLine(y)[x]);
  return (ground + darkest + 1) / 2;
}

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
    const int threshold = inkThreshold(grey8, box, ground);
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

}  // namespace ocr
