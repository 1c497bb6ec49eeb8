#include "recognition/lines/BitmapText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace ocr {

namespace {

// Greys this close count as one level.
constexpr int kLevelTolerance = 8;
// At most this share of the ink lies between the levels: anti-aliased text
// has a third or more of its ink in its rims.
constexpr double kMostBetween = 0.05;
// Fewer marked pixels than this tell nothing (a dot, a dash).
constexpr long long kLeastInk = 12;

// Each row of `in` averaged over 2r+1 pixels (edges repeated), into `out`;
// with `rows` along the columns instead.
void boxPass(const QImage& in, QImage& out, int r, bool rows) {
  const int w = in.width(), h = in.height();
  const int n = rows ? h : w;    // along the pass
  const int m = rows ? w : h;    // across it
  std::vector<int> line(static_cast<size_t>(n));
  for (int j = 0; j < m; ++j) {
    for (int i = 0; i < n; ++i) line[size_t(i)] = rows ? in.constScanLine(i)[j] : in.constScanLine(j)[i];
    int sum = 0;
    for (int i = -r - 1; i < r; ++i) sum += line[size_t(std::clamp(i, 0, n - 1))];
    for (int i = 0; i < n; ++i) {
      sum += line[size_t(std::min(i + r, n - 1))] - line[size_t(std::max(i - r - 1, 0))];
      const auto v = uchar(sum / (2 * r + 1));
      if (rows)
        out.scanLine(i)[j] = v;
      else
        out.scanLine(j)[i] = v;
    }
  }
}

}  // namespace

bool twoLevel(const QImage& grey8, int ground) {
  int darkest = 255;
  for (int y = 0; y < grey8.height(); ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = 0; x < grey8.width(); ++x) darkest = std::min<int>(darkest, row[x]);
  }
  if (ground - darkest < 4 * kLevelTolerance) return false;
  long long ink = 0, between = 0;
  for (int y = 0; y < grey8.height(); ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = 0; x < grey8.width(); ++x) {
      if (std::abs(row[x] - ground) <= kLevelTolerance) continue;
      ++ink;
      between += row[x] - darkest > kLevelTolerance;
    }
  }
  return ink >= kLeastInk && double(between) <= kMostBetween * double(ink);
}

int softening(int factor) { return std::max(1, int(std::lround(2.0 * std::max(1, factor) / 3))); }

QImage enlargedBitmap(const QImage& grey8, int factor) {
  factor = std::max(1, factor);
  QImage big = grey8.scaled(grey8.width() * factor, grey8.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  const int r = softening(factor);
  QImage across(big.size(), QImage::Format_Grayscale8), out(big.size(), QImage::Format_Grayscale8);
  if (big.isNull() || across.isNull() || out.isNull()) return big;
  boxPass(big, across, r, false);
  boxPass(across, out, r, true);
  return out;
}

}  // namespace ocr
