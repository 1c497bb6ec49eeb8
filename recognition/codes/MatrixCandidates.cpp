#include "recognition/codes/MatrixCandidates.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>

namespace Recognizer {

namespace {

constexpr int kCell = 4;            // pixels per cell of the density map
constexpr double kDense = 0.2;      // share of dark pixels that makes a cell ink
constexpr int kMinCells = 4;        // smallest symbol side: 16 pixels
constexpr double kMaxAspect = 4.0;  // rectangular DataMatrix goes to about 1:4
constexpr double kMinFill = 0.45;   // a symbol fills most of its box; text and lines do not
constexpr double kMinInk = 0.3;     // about half of a symbol is dark; of a block of text much less

}  // namespace

std::vector<cv::Rect> matrixCandidates(const cv::Mat& grey, int limit) {
  std::vector<cv::Rect> found;
  if (grey.empty() || grey.cols < kMinCells * kCell || grey.rows < kMinCells * kCell) return found;
  cv::Mat dark;
  cv::threshold(grey, dark, 0, 255, cv::THRESH_BINARY_INV | cv::THRESH_OTSU);
  cv::Mat density;
  cv::resize(dark, density, cv::Size(grey.cols / kCell, grey.rows / kCell), 0, 0, cv::INTER_AREA);
  cv::Mat ink = density > 255 * kDense;
  // Close the light modules inside a symbol, not the gaps between lines of text.
  cv::morphologyEx(ink, ink, cv::MORPH_CLOSE, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));

  cv::Mat labels, stats, centroids;
  const int count = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  struct Blob {
    cv::Rect cells;
    int area;
  };
  std::vector<Blob> blobs;
  for (int i = 1; i < count; ++i) {
    const cv::Rect cells(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                         stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
    const int area = stats.at<int>(i, cv::CC_STAT_AREA);
    const int small = std::min(cells.width, cells.height), large = std::max(cells.width, cells.height);
    if (small < kMinCells || large > kMaxAspect * small) continue;
    if (area < kMinFill * cells.area()) continue;
    if (cv::mean(density(cells), labels(cells) == i)[0] < 255 * kMinInk) continue;
    // The whole picture is no candidate: the full read has seen it.
    if (cells.width * kCell > 0.8 * grey.cols && cells.height * kCell > 0.8 * grey.rows) continue;
    blobs.push_back({cells, area});
  }
  std::sort(blobs.begin(), blobs.end(), [](const Blob& a, const Blob& b) { return a.area > b.area; });
  const cv::Rect image(0, 0, grey.cols, grey.rows);
  for (const Blob& blob : blobs) {
    if (static_cast<int>(found.size()) >= limit) break;
    const cv::Rect box(blob.cells.x * kCell, blob.cells.y * kCell, blob.cells.width * kCell, blob.cells.height * kCell);
    const int margin = std::max(box.width, box.height) / 2 + 2 * kCell;
    found.push_back((box + cv::Size(2 * margin, 2 * margin) - cv::Point(margin, margin)) & image);
  }
  return found;
}

}  // namespace Recognizer
