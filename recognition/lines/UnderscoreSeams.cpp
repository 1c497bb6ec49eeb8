#include "recognition/lines/UnderscoreSeams.h"

#include <algorithm>
#include <cstdlib>

#include "recognition/lines/TextBoxes.h"

namespace ocr {

namespace {

// An underscore's stroke is this thick at most, in the row's heights (two
// pixels at 13 px, three at 20).
constexpr double kThick = 0.15;
// And this long at least: one underscore of a monospace face is about half
// the row's height wide.
constexpr double kLong = 0.4;
// Boxes this far apart at most, in the row's heights: parted in an
// underscore, not in a space.
constexpr double kNear = 0.3;

// Whether a flat run of ink lies low in `row` (the two boxes together),
// reaching within half the row's height of the column `seam`.
bool underscoreAt(const QImage& grey8, const QRect& row, int seam, int ground, int contrast) {
  const int h = row.height();
  const int thick = std::max(2, int(kThick * h));
  const int reach = h / 2;
  const QRect strip = QRect(seam - h, row.top() + h / 2, 2 * h + 1, h - h / 2) & grey8.rect();
  auto ink = [&](int x, int y) {
    return y >= 0 && y < grey8.height() && std::abs(int(grey8.constScanLine(y)[x]) - ground) >= contrast;
  };
  // A column holds the stroke at `y` when the ink there is at most `thick`
  // rows and ground lies above and below it.
  auto stroke = [&](int x, int y) {
    if (!ink(x, y)) return false;
    int top = y, bottom = y;
    while (top > y - thick && ink(x, top - 1)) --top;
    while (bottom < y + thick && ink(x, bottom + 1)) ++bottom;
    return bottom - top + 1 <= thick && !ink(x, top - 1) && !ink(x, bottom + 1);
  };
  for (int y = strip.top(); y <= strip.bottom(); ++y) {
    int run = 0;
    for (int x = strip.left(); x <= strip.right() + 1; ++x) {
      if (x <= strip.right() && stroke(x, y)) {
        ++run;
        continue;
      }
      const int left = x - run, right = x - 1;
      if (run >= kLong * h && left <= seam + reach && right >= seam - reach) return true;
      run = 0;
    }
  }
  return false;
}

}  // namespace

void joinAtUnderscores(std::vector<QRect>& boxes, const QImage& grey8, int ground, int inkContrast) {
  if (grey8.isNull() || grey8.format() != QImage::Format_Grayscale8) return;
  const int contrast = std::max(inkContrast, 40);
  for (bool joined = true; joined;) {
    joined = false;
    for (size_t i = 0; i < boxes.size() && !joined; ++i)
      for (size_t j = 0; j < boxes.size() && !joined; ++j) {
        const QRect &a = boxes[i], &b = boxes[j];
        // b starts where a ends, or a few pixels on: less than an
        // underscore's width, so that the bar runs from one into the other.
        const int gap = b.left() - a.right() - 1;
        if (i == j || b.left() <= a.left() || gap < -2 || gap > kNear * std::min(a.height(), b.height()) || !oneRow(a, b))
          continue;
        const QRect row = a | b;
        if (!underscoreAt(grey8, row, b.left(), ground, contrast)) continue;
        boxes[i] = row;
        boxes.erase(boxes.begin() + std::ptrdiff_t(j));
        joined = true;
      }
  }
}

}  // namespace ocr
