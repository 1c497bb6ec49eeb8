#include "recognition/lines/TextBoxes.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ocr {

bool oneRow(const QRect& a, const QRect& b) {
  const int low = std::min(a.height(), b.height());
  const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
  return overlap >= 0.6 * low && std::max(a.height(), b.height()) <= 1.5 * low;
}

std::vector<QRect> textBoxes(const cv::Mat& probability, const BoxOptions& options) {
  std::vector<QRect> boxes;
  std::vector<QRect> cores;  // what the network marked, before growing back
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
    cores.emplace_back(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), w, h);
  }
  // Pieces of one mark (a thin digit's stroke and serif, split by the
  // threshold) grow into each other: one box, or the engine reads the same
  // ink twice.
  for (bool merged = true; merged;) {
    merged = false;
    for (size_t i = 0; i < boxes.size() && !merged; ++i)
      for (size_t j = i + 1; j < boxes.size() && !merged; ++j) {
        const QRect common = boxes[i] & boxes[j];
        const double smaller = std::min(double(boxes[i].width()) * boxes[i].height(), double(boxes[j].width()) * boxes[j].height());
        if (common.isEmpty() || double(common.width()) * common.height() < 0.5 * smaller) continue;
        boxes[i] |= boxes[j];
        cores[i] |= cores[j];
        boxes.erase(boxes.begin() + std::ptrdiff_t(j));
        cores.erase(cores.begin() + std::ptrdiff_t(j));
        merged = true;
      }
  }
  // Two pieces of one row grown into each other share the columns between
  // them: each would read the other's edge ("12288 Dec 25" and "2023
  // Documents" of a terminal's row both read the "5"). They part halfway
  // between what the network marked.
  for (size_t i = 0; i < boxes.size(); ++i)
    for (size_t j = 0; j < boxes.size(); ++j) {
      if (i == j || cores[i].left() >= cores[j].left() || !boxes[i].intersects(boxes[j]) || !oneRow(boxes[i], boxes[j]))
        continue;
      const int middle = (cores[i].right() + cores[j].left()) / 2;
      if (middle < cores[i].right() || middle >= cores[j].left()) continue;  // the cores themselves overlap
      boxes[i].setRight(std::min(boxes[i].right(), middle));
      boxes[j].setLeft(std::max(boxes[j].left(), middle + 1));
    }
  std::sort(boxes.begin(), boxes.end(), [](const QRect& a, const QRect& b) {
    return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
  });
  return boxes;
}

}  // namespace ocr
