#include "recognition/LoneInk.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocr {

namespace {

// A detector's box stands about this share of its ink's height beyond it.
constexpr double kGrowth = 0.3;
// The margin the line reader cuts around a box, in its heights (LineReadConfig::marginX).
constexpr double kReadMargin = 0.2;

}  // namespace

std::vector<QRect> loneInkBoxes(const QImage& grey8, int ground, int inkThreshold, double lineHeight,
                                const std::vector<QRect>& boxes) {
  std::vector<QRect> out;
  if (grey8.isNull() || grey8.format() != QImage::Format_Grayscale8 || lineHeight <= 0 || inkThreshold <= 0) return out;
  const cv::Mat g(grey8.height(), grey8.width(), CV_8U, const_cast<uchar*>(grey8.constBits()), size_t(grey8.bytesPerLine()));
  const cv::Mat ink = g <= ground - inkThreshold;
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i) {
    const QRect r(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
                  stats.at<int>(i, cv::CC_STAT_HEIGHT));
    // A character's height, narrow but no rule: the detector finds wider
    // ones (a "1" with its foot is 11 x 20 pixels in a CJK face at twice
    // the size), and an icon (as wide as high) would be read as "@".
    if (r.height() < 0.6 * lineHeight || r.height() > 1.6 * lineHeight || 5 * r.width() > 3 * r.height() ||
        8 * r.width() < r.height())
      continue;
    if (std::any_of(boxes.begin(), boxes.end(), [&](const QRect& b) { return b.intersects(r); })) continue;
    // A stroke through its middle third, as a "1", "l" or "!" is: a filled
    // arrow (the ends of a path bar, 6 x 12 pixels) is widest there.
    bool stroke = true;
    const int widest = std::max(2, r.height() / 4);
    for (int y = r.top() + r.height() / 3; y < r.top() + 2 * r.height() / 3 && stroke; ++y) {
      int across = 0;
      for (int x = r.left(); x <= r.right(); ++x) across += labels.at<int>(y, x) == i;
      stroke = across <= widest;
    }
    if (!stroke) continue;
    const int grow = int(std::lround(kGrowth * r.height()));
    QRect box = r.adjusted(-grow, -grow, grow, grow) & grey8.rect();
    // Alone: no other ink above or below it within the box.
    auto other = [&](int x, int y) { return ink.at<uchar>(y, x) && labels.at<int>(y, x) != i; };
    bool alone = true;
    for (int y = box.top(); y <= box.bottom() && alone; ++y)
      for (int x = r.left(); x <= r.right() && alone; ++x) alone = !other(x, y);
    if (!alone) continue;
    // On the ground as far as the box and the reader's margins reach at the
    // sides, or stopping short of the ink beside it (a field's edge, read as
    // "|" or "]").
    const int margin = int(std::ceil(kReadMargin * box.height()));
    auto inkAt = [&](int x) {
      for (int y = box.top(); y <= box.bottom(); ++y)
        if (other(x, y)) return true;
      return false;
    };
    int left = r.left(), right = r.right();
    while (left > box.left() - margin && left > 0 && !inkAt(left - 1)) --left;
    while (right < box.right() + margin && right + 1 < g.cols && !inkAt(right + 1)) ++right;
    box.setLeft(std::min(r.left(), left + margin));
    box.setRight(std::max(r.right(), right - margin));
    if (std::any_of(out.begin(), out.end(), [&](const QRect& b) { return b.intersects(box); })) continue;
    out.push_back(box);
  }
  return out;
}

}  // namespace ocr
