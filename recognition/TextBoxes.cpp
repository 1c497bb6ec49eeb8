#include "recognition/TextBoxes.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ocr {

namespace {

// Wider than a word of two letters: a row of icons side by side is not text
// to be joined.
bool wide(const QRect& r) { return r.width() >= 1.7 * r.height(); }

}  // namespace

std::vector<QRect> textBoxes(const cv::Mat& probability, const BoxOptions& options) {
  std::vector<QRect> boxes;
  if (probability.empty() || probability.type() != CV_8U) return boxes;
  const cv::Mat text = probability > options.threshold * 255.0;
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(text, labels, stats, centroids, 8, CV_32S);
  if (n <= 1) return boxes;

  // The mean probability of each region, over its own pixels.
  std::vector<double> sums(size_t(n), 0.0);
  for (int y = 0; y < labels.rows; ++y) {
    const int* label = labels.ptr<int>(y);
    const uchar* p = probability.ptr<uchar>(y);
    for (int x = 0; x < labels.cols; ++x)
      if (label[x] > 0) sums[size_t(label[x])] += p[x];
  }

  for (int i = 1; i < n; ++i) {
    const int w = stats.at<int>(i, cv::CC_STAT_WIDTH);
    const int h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
    const int area = stats.at<int>(i, cv::CC_STAT_AREA);
    if (std::min(w, h) < options.minSide || area <= 0) continue;
    if (sums[size_t(i)] / area / 255.0 < options.boxScore) continue;
    // The growth that undoes the network's shrinking of the box.
    const double grow = double(w) * h * options.unclip / (2.0 * (w + h));
    const int x0 = std::max(0, int(std::floor(stats.at<int>(i, cv::CC_STAT_LEFT) - grow)));
    const int y0 = std::max(0, int(std::floor(stats.at<int>(i, cv::CC_STAT_TOP) - grow)));
    const int x1 = std::min(probability.cols, int(std::ceil(stats.at<int>(i, cv::CC_STAT_LEFT) + w + grow)));
    const int y1 = std::min(probability.rows, int(std::ceil(stats.at<int>(i, cv::CC_STAT_TOP) + h + grow)));
    if (std::min(x1 - x0, y1 - y0) < options.minSide + 2) continue;
    boxes.emplace_back(x0, y0, x1 - x0, y1 - y0);
  }
  // Pieces of one mark (a thin digit's stroke and serif, split by the
  // threshold) grow into each other: one box, or the engine reads the same
  // ink twice. So do two pieces of one row that reach well into each other
  // (a terminal's "12288 Dec 25" and "2023 Documents" sharing the "5"):
  // each would read the shared ink. Icons side by side stay apart: alone
  // each is known for an icon by its shape.
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < boxes.size() && !merged; ++i)
      for (size_t j = i + 1; j < boxes.size() && !merged; ++j) {
        const QRect common = boxes[i] & boxes[j];
        const double smaller = std::min(double(boxes[i].width()) * boxes[i].height(), double(boxes[j].width()) * boxes[j].height());
        const int low = std::min(boxes[i].height(), boxes[j].height());
        const bool oneRow = common.height() >= 0.6 * low && std::max(boxes[i].height(), boxes[j].height()) <= 1.5 * low &&
                            common.width() >= 0.25 * low && wide(boxes[i]) && wide(boxes[j]);
        if (common.isEmpty() || (double(common.width()) * common.height() < 0.5 * smaller && !oneRow)) continue;
        boxes[i] |= boxes[j];
        boxes.erase(boxes.begin() + std::ptrdiff_t(j));
        merged = true;
      }
  }
  std::sort(boxes.begin(), boxes.end(), [](const QRect& a, const QRect& b) {
    return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
  });
  return boxes;
}

}  // namespace ocr
