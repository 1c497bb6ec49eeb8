#include "recognition/codes/CodeVariants.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "recognition/codes/ImageFilters.h"

namespace Recognizer {

namespace {

namespace f = imagefilter;

constexpr double kTileScale = 2.5;
constexpr double kDarkBelow = 115;
// Enlargements beyond this many pixels are not rendered (a long strip of a
// screenshot enlarged four times would take gigabytes): they count as failed.
constexpr double kMaxRendering = 48e6;

bool fits(double width, double height) { return width * height <= kMaxRendering; }

// Derived once per list and shared by its variants. The scaled grey is the
// one intermediate worth keeping: eight variants start from it.
struct Plan {
  std::shared_ptr<const CodeSource> source;
  double width = 0, height = 0, s = 0, k = 1, r = 0;
  bool dark = false;
  // Made by whichever variant needs it first; variants may render side by side.
  mutable std::once_flag scaling;
  mutable cv::Mat scaledGrey;

  cv::Mat base1() const { return dark ? f::invert(source->grey()) : source->grey(); }
  bool scaledFits() const { return fits(width * k, height * k); }
  cv::Mat baseK() const {
    if (!scaledFits()) return {};
    std::call_once(scaling, [this] { scaledGrey = f::scaled(source->grey(), k); });
    return dark ? f::invert(scaledGrey) : scaledGrey;
  }
};

BackMap identity() {
  return [](const PixelRect& r) { return r; };
}

BackMap byK(double k) {
  return [k](const PixelRect& r) { return unscale(r, k); };
}

// A tile is (x, y, W/2, H/2) with the origin at the bottom left; in the rows of
// the image (top first) it starts H/2 - y from the top. Its rendering has the
// enlarged tile's extent rounded outward, whatever whole pixels were cut.
cv::Mat renderTile(const Plan& plan, double x, double y) {
  if (!fits(plan.width / 2 * kTileScale, plan.height / 2 * kTileScale)) return {};
  const cv::Mat& grey = plan.source->grey();
  const cv::Rect area(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(plan.height / 2 - y)),
                      static_cast<int>(std::lround(plan.width / 2)), static_cast<int>(std::lround(plan.height / 2)));
  const cv::Rect inside = area & cv::Rect(0, 0, grey.cols, grey.rows);
  if (inside.empty()) return {};
  cv::Mat tile = f::scaled(grey(inside), kTileScale);
  const int width = static_cast<int>(std::ceil(plan.width / 2 * kTileScale - 1e-9));
  const int height = static_cast<int>(std::ceil(plan.height / 2 * kTileScale - 1e-9));
  // Anchored at the bottom-left corner, where the back mapping starts.
  if (tile.cols < width || tile.rows < height) {
    cv::copyMakeBorder(tile, tile, std::max(0, height - tile.rows), 0, 0, std::max(0, width - tile.cols),
                       cv::BORDER_REPLICATE);
  }
  tile = tile(cv::Rect(0, tile.rows - height, width, height));
  return f::contrast(tile, 1.4);
}

}  // namespace

double variantScale(double s) {
  if (s < 300) return 4.0;
  if (s < 700) return 2.5;
  if (s < 1400) return 1.6;
  return 1.0;
}

bool isDark(const CodeSource& source) {
  if (source.isEmpty()) return false;
  const double h = source.height();
  // The strip (0, 0, W, max(0.03 H, 1)) from the bottom, rounded outward.
  const int rows = std::clamp(static_cast<int>(std::ceil(std::max(0.03 * h, 1.0) - 1e-9)), 1, source.height());
  const auto mean = f::areaAverage(source.pixels(), cv::Rect(0, source.height() - rows, source.width(), rows));
  if (!mean) return false;
  return std::lround(*mean) < kDarkBelow;
}

PixelRect unscale(const PixelRect& r, double k) { return {r.x / k, r.y / k, r.width / k, r.height / k}; }

PixelRect untile(const PixelRect& r, double x, double y) {
  return {r.x / kTileScale + x, r.y / kTileScale + y, r.width / kTileScale, r.height / kTileScale};
}

std::vector<Variant> variants(const std::shared_ptr<const CodeSource>& source) {
  if (!source || source->isEmpty()) return {};
  auto plan = std::make_shared<Plan>();
  plan->source = source;
  plan->width = source->width();
  plan->height = source->height();
  plan->s = std::min(plan->width, plan->height);
  plan->k = variantScale(plan->s);
  plan->r = plan->s * plan->k / 45;
  plan->dark = isDark(*source);
  const double k = plan->k, r = plan->r;

  std::vector<Variant> list;
  list.push_back({[plan] { return f::contrast(plan->source->grey(), 1.6); }, identity()});
  list.push_back({[plan] { return f::otsu(plan->base1()); }, identity()});
  list.push_back({[plan] { return f::invert(plan->source->grey()); }, identity()});
  list.push_back({[plan] { return f::otsu(f::blur(plan->base1(), std::max(plan->s / 600, 1.0))); }, identity()});
  list.push_back({[plan] { return f::otsu(plan->baseK()); }, byK(k)});
  list.push_back({[plan] {
                    if (!plan->scaledFits()) return cv::Mat();
                    return f::otsu(f::maximumComponent(plan->source->pixels(), plan->k));
                  },
                  byK(k)});
  for (const double share : {0.15, 0.25, 0.35}) {
    list.push_back({[plan, radius = r * share] { return f::otsu(f::join(plan->baseK(), radius)); }, byK(k)});
    list.push_back({[plan, radius = r * share * 1.2] { return f::otsu(f::blur(plan->baseK(), radius)); }, byK(k)});
  }
  if (plan->s >= 900) {
    for (const double y : {0.0, plan->height / 4, plan->height / 2}) {
      for (const double x : {0.0, plan->width / 4, plan->width / 2}) {
        list.push_back({[plan, x, y] { return renderTile(*plan, x, y); },
                        [x, y](const PixelRect& rect) { return untile(rect, x, y); }});
      }
    }
  }
  return list;
}

}  // namespace Recognizer
