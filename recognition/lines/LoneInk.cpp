#include "recognition/lines/LoneInk.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace ocr {

namespace {

// A detector's box stands about this share of its ink's height beyond it.
constexpr double kGrowth = 0.3;
// The margin the line reader cuts around a box, in its heights (LineReadConfig::marginX).
constexpr double kReadMargin = 0.2;
// Rows labelled at once.
constexpr int kBandRows = 1024;

// Lone ink whose top row is in [from, to) of `grey8`, labelled within
// `band`, the rows around them that hold such ink whole with its box: a
// full-size label map of an 8K capture would take 133 MB.
void lonesIn(const QImage& grey8, int ground, int inkThreshold, double lineHeight, const std::vector<QRect>& boxes,
             const QRect& band, int from, int to, std::vector<QRect>& out) {
  const cv::Mat whole(grey8.height(), grey8.width(), CV_8U, const_cast<uchar*>(grey8.constBits()), size_t(grey8.bytesPerLine()));
  const cv::Mat ink = whole(cv::Rect(band.x(), band.y(), band.width(), band.height())) <= ground - inkThreshold;
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  const int dy = band.top();
  for (int i = 1; i < n; ++i) {
    const QRect r(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP) + dy, stats.at<int>(i, cv::CC_STAT_WIDTH),
                  stats.at<int>(i, cv::CC_STAT_HEIGHT));
    if (r.top() < from || r.top() >= to) continue;
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
      for (int x = r.left(); x <= r.right(); ++x) across += labels.at<int>(y - dy, x) == i;
      stroke = across <= widest;
    }
    if (!stroke) continue;
    const int grow = int(std::lround(kGrowth * r.height()));
    QRect box = r.adjusted(-grow, -grow, grow, grow) & grey8.rect();
    // Alone: no other ink above or below it within the box.
    auto other = [&](int x, int y) { return ink.at<uchar>(y - dy, x) && labels.at<int>(y - dy, x) != i; };
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
    while (right < box.right() + margin && right + 1 < grey8.width() && !inkAt(right + 1)) ++right;
    box.setLeft(std::min(r.left(), left + margin));
    box.setRight(std::max(r.right(), right - margin));
    if (std::any_of(out.begin(), out.end(), [&](const QRect& b) { return b.intersects(box); })) continue;
    out.push_back(box);
  }
}

}  // namespace

std::vector<QRect> loneInkBoxes(const QImage& grey8, int ground, int inkThreshold, double lineHeight,
                                const std::vector<QRect>& boxes) {
  std::vector<QRect> out;
  if (grey8.isNull() || grey8.format() != QImage::Format_Grayscale8 || lineHeight <= 0 || inkThreshold <= 0) return out;
  // Bands of rows, each labelled with the rows around it that hold its
  // tallest ink whole with its grown box: ink that runs out of a band's rows
  // is taller than a character there, and ink is taken by the band its top
  // row is in.
  const int around = int(std::ceil(2.2 * 1.6 * lineHeight)) + 2;
  for (int from = 0; from < grey8.height(); from += kBandRows) {
    const int to = std::min(grey8.height(), from + kBandRows);
    const QRect band = QRect(0, from - around, grey8.width(), to - from + 2 * around) & grey8.rect();
    lonesIn(grey8, ground, inkThreshold, lineHeight, boxes, band, from, to, out);
  }
  return out;
}

}  // namespace ocr
