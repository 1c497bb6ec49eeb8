#include "recognition/clean/Prepare.h"

#include "recognition/clean/CodeGaps.h"
#include "recognition/base/Median.h"
#include "recognition/clean/ScreenClean.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

namespace ocr {

namespace {

// Grey levels at least this far from the background count as ink.
constexpr int kInkContrast = 40;
// Ink measured in vertical strips of this width, so that lines of side-by-side
// columns that sit at different heights do not merge into one tall band.
constexpr int kStripWidth = 256;
// Bands lower than this are rules and specks, not text (9 px text has bands of 7 px and more).
constexpr int kMinBand = 4;
// Inked rows this close belong to one band: an accent or a dot one blank row
// above its letter.
constexpr int kJoinGap = 1;

int mostCommonLevel(const std::array<long long, 256>& histogram) {
  // The peak of the histogram smoothed over neighbours, so that a gradient
  // or noise does not split it; then its most common level exactly.
  int centre = 255;
  long long bestCount = -1;
  for (int level = 0; level < 256; ++level) {
    long long count = 0;
    for (int j = std::max(0, level - 3); j <= std::min(255, level + 3); ++j) count += histogram[size_t(j)];
    if (count > bestCount) {
      bestCount = count;
      centre = level;
    }
  }
  int best = centre;
  for (int j = std::max(0, centre - 3); j <= std::min(255, centre + 3); ++j)
    if (histogram[size_t(j)] > histogram[size_t(best)]) best = j;
  return best;
}

}  // namespace

QImage opaque(const QImage& source) {
  if (source.isNull()) return {};
  if (!source.hasAlphaChannel()) return source.convertToFormat(QImage::Format_RGB32);
  QImage canvas(source.size(), QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter painter(&canvas);
  painter.drawImage(0, 0, source);
  painter.end();
  return canvas;
}

QImage grey(const QImage& source) {
  if (source.isNull()) return {};
  if (!source.hasAlphaChannel()) return source.convertToFormat(QImage::Format_Grayscale8);
  return opaque(source).convertToFormat(QImage::Format_Grayscale8);
}

Measure measure(const QImage& grey8) {
  Measure m;
  const int w = grey8.width();
  const int h = grey8.height();
  if (w <= 0 || h <= 0) return m;

  std::array<long long, 256> histogram{};
  for (int y = 0; y < h; ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = 0; x < w; ++x) ++histogram[row[x]];
  }
  m.background = mostCommonLevel(histogram);

  // The polarity: is the ink mostly lighter or darker than the ground?
  long long darker = 0, lighter = 0;
  for (int level = 0; level < 256; ++level) {
    if (level <= m.background - kInkContrast) darker += histogram[size_t(level)];
    if (level >= m.background + kInkContrast) lighter += histogram[size_t(level)];
  }
  m.lightOnDark = lighter > darker;

  // Working with "darkness" so that ink is high whatever the polarity.
  auto darkness = [&](int level) { return m.lightOnDark ? level - m.background : m.background - level; };
  long long inkCount = 0;
  double inkSum = 0;
  for (int level = 0; level < 256; ++level) {
    const int d = darkness(level);
    if (d >= kInkContrast) {
      inkCount += histogram[size_t(level)];
      inkSum += double(d) * double(histogram[size_t(level)]);
    }
  }
  if (inkCount == 0) return m;
  // Half way between the ground and the typical ink, like a reader's eye.
  const double threshold = std::max<double>(kInkContrast / 2, inkSum / double(inkCount) / 2);
  m.inkThreshold = int(std::ceil(threshold));
  std::array<bool, 256> isInk{};
  for (int level = 0; level < 256; ++level) isInk[size_t(level)] = darkness(level) >= threshold;

  std::vector<int> bands;
  for (int x0 = 0; x0 < w; x0 += kStripWidth) {
    const int x1 = std::min(w, x0 + kStripWidth);
    int top = -1;     // first row of the band being followed
    int bottom = -1;  // one past its last inked row
    for (int y = 0; y <= h; ++y) {
      bool inked = false;
      if (y < h) {
        const uchar* row = grey8.constScanLine(y);
        for (int x = x0; x < x1 && !inked; ++x) inked = isInk[row[x]];
      }
      if (inked) {
        if (top < 0 || y - bottom > kJoinGap) {
          if (top >= 0 && bottom - top >= kMinBand) bands.push_back(bottom - top);
          top = y;
        }
        bottom = y + 1;
      }
    }
    if (top >= 0 && bottom - top >= kMinBand) bands.push_back(bottom - top);
  }
  m.lineHeight = median(std::move(bands));
  return m;
}

PixelRect Prepared::toSource(int left, int top, int right, int bottom) const {
  const double sx = scaleX();
  const double sy = scaleY();
  auto clampTo = [](double v, double hi) { return std::clamp(v, 0.0, hi); };
  const double x0 = clampTo((left - pad) / sx, sourceWidth);
  const double x1 = clampTo((right - pad) / sx, sourceWidth);
  const double y0 = clampTo((top - pad) / sy, sourceHeight);
  const double y1 = clampTo((bottom - pad) / sy, sourceHeight);
  return PixelRect::fromTopLeft(x0, y0, std::max(0.0, x1 - x0), std::max(0.0, y1 - y0), sourceHeight);
}

Page page(const QImage& source, const PrepareOptions& options) {
  Page p;
  if (source.isNull() || source.width() <= 0 || source.height() <= 0) return p;
  p.grey = grey(source);
  if (p.grey.isNull()) return p;
  p.measured = measure(p.grey);
  const bool invert = options.invert && p.measured.lightOnDark;
  if (invert) p.grey.invertPixels();
  p.ground = invert ? 255 - p.measured.background : p.measured.background;
  if (options.clean) {
    Cleaned cleaned = clean(p.grey, p.ground);
    if (cleaned.changed()) {
      // Frames made the line bands look taller than the text is.
      const Measure again = measure(p.grey);
      p.measured.lineHeight = again.lineHeight;
      p.measured.inkThreshold = again.inkThreshold;
      p.controls = std::move(cleaned.controls);
    }
  }
  darkenFaintBars(p.grey, p.ground, p.measured.lineHeight);
  return p;
}

Prepared prepare(const QImage& source, const PrepareOptions& options) {
  Prepared p;
  Page seen = page(source, options);
  if (seen.grey.isNull()) return p;
  QImage g = std::move(seen.grey);
  const int ground = seen.ground;
  p.sourceWidth = g.width();
  p.sourceHeight = g.height();
  p.measured = seen.measured;
  p.controls = std::move(seen.controls);

  double scale = 1;
  if (p.measured.lineHeight > 0) scale = std::clamp(options.lineHeight / p.measured.lineHeight, 1.0, options.maxScale);
  const double pixels = double(g.width()) * double(g.height());
  scale = std::max(1.0, std::min(scale, std::sqrt(options.maxPixels / pixels)));
  if (scale > 1) {
    const int w = std::max(1, int(std::lround(g.width() * scale)));
    const int h = std::max(1, int(std::lround(g.height() * scale)));
    g = g.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }

  const int pad = std::max(0, options.pad);
  QImage out(g.width() + 2 * pad, g.height() + 2 * pad, QImage::Format_Grayscale8);
  if (out.isNull()) return {};
  out.fill(uint(ground));
  for (int y = 0; y < g.height(); ++y) std::memcpy(out.scanLine(y + pad) + pad, g.constScanLine(y), size_t(g.width()));
  p.image = std::move(out);
  p.pad = pad;
  p.ground = ground;
  p.scaledWidth = g.width();
  p.scaledHeight = g.height();
  return p;
}

}  // namespace ocr
