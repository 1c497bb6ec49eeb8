#include "recognition/engines/Bands.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace ocr {

namespace {

using Run = Band;

// Rows holding anything that differs visibly from the ground, in runs. Runs
// closer than a fifth of a line are one: accents, dots and breves stand a row
// or two apart from their letters and must stay with them.
std::vector<Run> runsOf(const Prepared& p) {
  const int joinGap = std::max(2, int(std::lround(0.2 * p.measured.lineHeight * p.scaleY())));
  const QImage& img = p.image;
  // Fainter than the ink threshold: anti-aliased edges must not look blank.
  const int faint = std::max(8, p.measured.inkThreshold / 2);
  std::vector<Run> runs;
  int start = -1;
  for (int y = 0; y <= img.height(); ++y) {
    bool ink = false;
    if (y < img.height()) {
      const uchar* row = img.constScanLine(y);
      for (int x = 0; x < img.width() && !ink; ++x) ink = std::abs(int(row[x]) - p.ground) >= faint;
    }
    if (ink && start < 0) start = y;
    if (!ink && start >= 0) {
      if (!runs.empty() && start - runs.back().bottom < joinGap) {
        runs.back().bottom = y;
      } else {
        runs.push_back({start, y});
      }
      start = -1;
    }
  }
  return runs;
}

}  // namespace

std::vector<Band> lineSpans(const Prepared& prepared) { return prepared.isNull() ? std::vector<Band>{} : runsOf(prepared); }

std::vector<Band> bands(const Prepared& p, int count) {
  const int height = p.image.height();
  if (p.isNull()) return {};
  const std::vector<Run> runs = runsOf(p);
  if (count <= 1 || int(runs.size()) < count) return {{0, height}};

  // Ink rows up to and including each run.
  std::vector<long long> upTo;
  long long total = 0;
  for (const Run& r : runs) upTo.push_back(total += r.bottom - r.top);

  std::vector<Band> out;
  int top = 0;
  size_t next = 0;  // the first run the next cut may follow
  for (int j = 1; j < count; ++j) {
    // The cut after the run whose running total is nearest to j shares of
    // the ink, leaving at least one run for each band still to come.
    const double target = double(total) * j / count;
    const size_t last = runs.size() - size_t(count - j) - 1;
    size_t best = next;
    for (size_t i = next; i <= last; ++i)
      if (std::abs(double(upTo[i]) - target) < std::abs(double(upTo[best]) - target)) best = i;
    const int cut = (runs[best].bottom + runs[best + 1].top) / 2;
    out.push_back({top, cut});
    top = cut;
    next = best + 1;
  }
  out.push_back({top, height});
  return out;
}

QImage bandImage(const Prepared& p, const Band& band, int pad) {
  const int rows = band.bottom - band.top;
  QImage out(p.image.width(), rows + 2 * pad, QImage::Format_Grayscale8);
  if (out.isNull() || rows <= 0) return {};
  out.fill(uint(p.ground));
  const size_t bytes = size_t(p.image.width());
  for (int y = 0; y < rows; ++y) std::memcpy(out.scanLine(y + pad), p.image.constScanLine(band.top + y), bytes);
  return out;
}

}  // namespace ocr
