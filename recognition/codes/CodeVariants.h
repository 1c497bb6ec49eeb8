#pragma once
#include <functional>
#include <memory>
#include <opencv2/core.hpp>
#include <vector>

#include "recognition/codes/CodeSource.h"
#include "recognition/base/Result.h"

namespace Recognizer {

// Carries a rectangle in pixels of a rendering (bottom-left origin) to pixels
// of the source image.
using BackMap = std::function<PixelRect(const PixelRect&)>;

// One pre-processed rendering of the thorough code pass: `make` renders it
// (an empty image when that fails), `back` undoes its scaling and tiling.
struct Variant {
  std::function<cv::Mat()> make;
  BackMap back;
};

// The scale factor of the enlarged variants for s = min(width, height).
double variantScale(double s);

// Whether the image counts as dark: the mean grey of a full-width strip at the
// bottom (3% of the height, at least one row) is below 115. An image that
// cannot be measured is not dark.
bool isDark(const CodeSource& source);

// The fixed sequence of renderings: 12, or 21 with nine enlarged tiles when
// min(width, height) is at least 900. Only the dark test reads pixels here;
// each variant renders when its `make` runs.
std::vector<Variant> variants(const std::shared_ptr<const CodeSource>& source);

// The back mappings: undo a scale by k, and a tile at (x, y) enlarged 2.5 times.
PixelRect unscale(const PixelRect& r, double k);
PixelRect untile(const PixelRect& r, double x, double y);

}  // namespace Recognizer
