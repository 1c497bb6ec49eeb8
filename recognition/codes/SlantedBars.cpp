#include "recognition/codes/SlantedBars.h"

#include <algorithm>
#include <cmath>
#include <vector>
#include <opencv2/imgproc.hpp>

namespace Recognizer {

namespace {

constexpr int kMaxSide = 1600;              // the orientation is measured on an image no larger than this
constexpr int kCell = 8;                    // pixels per cell of that image
constexpr double kCoherent = 0.75;          // how much of a cell's gradient lies along one direction
constexpr double kMinEnergy = 40.0 * 40.0;  // mean squared gradient of a cell with bars in it
// A code is a compact patch of such cells; strokes of letters make small or
// thin ones.
constexpr int kMinCells = 20;
constexpr int kMinSide = 4;
constexpr double kMaxAspect = 6;
constexpr double kStraight = 8;  // degrees from an axis that the reader copes with itself

// The structure tensor of each cell: the mean products of the 3 x 3 Sobel
// gradients (mirrored at the border, as cv::Sobel does) over its kCell x
// kCell pixels, the cells tiling the image from its top-left corner (a last
// partial row or column of pixels belongs to no cell). Summed in integers a
// row at a time: the gradients of 8-bit pixels and their products over a
// cell are exact there, and no buffer the size of the image is made (the
// search calls this on every variant, up to 1600 pixels a side, and making
// five such float buffers cost more than the sums).
void cellTensors(const cv::Mat& small, cv::Mat& jxx, cv::Mat& jyy, cv::Mat& jxy) {
  const int columns = small.cols / kCell, rows = small.rows / kCell, width = columns * kCell;
  cv::Mat padded;
  cv::copyMakeBorder(small, padded, 1, 1, 1, 1, cv::BORDER_REFLECT_101);
  jxx.create(rows, columns, CV_32F);
  jyy.create(rows, columns, CV_32F);
  jxy.create(rows, columns, CV_32F);
  std::vector<int> gx(static_cast<size_t>(width)), gy(static_cast<size_t>(width));
  // Per cell of the current row of cells; a cell's sums stay below 2^27.
  std::vector<int> sxx(static_cast<size_t>(columns)), syy(static_cast<size_t>(columns)), sxy(static_cast<size_t>(columns));
  constexpr float kPerPixel = 1.0f / (kCell * kCell);
  for (int cy = 0; cy < rows; ++cy) {
    std::fill(sxx.begin(), sxx.end(), 0);
    std::fill(syy.begin(), syy.end(), 0);
    std::fill(sxy.begin(), sxy.end(), 0);
    for (int y = cy * kCell; y < (cy + 1) * kCell; ++y) {
      const uchar* above = padded.ptr<uchar>(y);
      const uchar* row = padded.ptr<uchar>(y + 1);
      const uchar* below = padded.ptr<uchar>(y + 2);
      for (int x = 0; x < width; ++x) {
        gx[x] = (above[x + 2] + 2 * row[x + 2] + below[x + 2]) - (above[x] + 2 * row[x] + below[x]);
        gy[x] = (below[x] + 2 * below[x + 1] + below[x + 2]) - (above[x] + 2 * above[x + 1] + above[x + 2]);
      }
      for (int cx = 0; cx < columns; ++cx) {
        int xx = 0, yy = 0, xy = 0;
        for (int x = cx * kCell; x < (cx + 1) * kCell; ++x) {
          xx += gx[x] * gx[x];
          yy += gy[x] * gy[x];
          xy += gx[x] * gy[x];
        }
        sxx[cx] += xx;
        syy[cx] += yy;
        sxy[cx] += xy;
      }
    }
    for (int cx = 0; cx < columns; ++cx) {
      jxx.at<float>(cy, cx) = float(sxx[cx]) * kPerPixel;
      jyy.at<float>(cy, cx) = float(syy[cx]) * kPerPixel;
      jxy.at<float>(cy, cx) = float(sxy[cx]) * kPerPixel;
    }
  }
}

}  // namespace

std::vector<SlantedArea> slantedBars(const cv::Mat& grey, int limit) {
  std::vector<SlantedArea> found;
  // The gradients are summed as those of 8-bit grey pixels.
  if (grey.empty() || grey.type() != CV_8UC1) return found;
  const double scale = std::min(1.0, double(kMaxSide) / std::max(grey.cols, grey.rows));
  // The size is settled before resizing: the short side of a thin strip
  // (1 x 5000) shrinks to nothing, which the resize refuses with an exception.
  const cv::Size size(int(std::lround(grey.cols * scale)), int(std::lround(grey.rows * scale)));
  if (size.width < kCell * 2 || size.height < kCell * 2) return found;
  cv::Mat small;
  if (scale < 1.0) {
    cv::resize(grey, small, size, 0, 0, cv::INTER_AREA);
  } else {
    small = grey;
  }

  cv::Mat jxx, jyy, jxy;
  cellTensors(small, jxx, jyy, jxy);
  const cv::Size cells = jxx.size();

  cv::Mat marked(cells, CV_8U, cv::Scalar(0));
  for (int y = 0; y < cells.height; ++y) {
    for (int x = 0; x < cells.width; ++x) {
      const float a = jxx.at<float>(y, x), b = jyy.at<float>(y, x), c = jxy.at<float>(y, x);
      const float energy = a + b;
      if (energy < kMinEnergy) continue;
      const float spread = std::sqrt((a - b) * (a - b) + 4 * c * c);
      if (spread >= kCoherent * energy) marked.at<uchar>(y, x) = 255;
    }
  }
  cv::Mat labels, stats, centroids;
  const int count = cv::connectedComponentsWithStats(marked, labels, stats, centroids, 8, CV_32S);
  struct Blob {
    SlantedArea area;
    int cells;
  };
  std::vector<Blob> blobs;
  for (int i = 1; i < count; ++i) {
    const int area = stats.at<int>(i, cv::CC_STAT_AREA);
    const cv::Rect box(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                       stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
    const int shortSide = std::min(box.width, box.height), longSide = std::max(box.width, box.height);
    if (area < kMinCells || shortSide < kMinSide || longSide > kMaxAspect * shortSide) continue;
    const cv::Mat mask = labels(box) == i;
    const double a = cv::mean(jxx(box), mask)[0], b = cv::mean(jyy(box), mask)[0], c = cv::mean(jxy(box), mask)[0];
    // The direction of the gradient across the bars, in degrees from the x axis (y down).
    const double degrees = 0.5 * std::atan2(2 * c, a - b) * 180 / CV_PI;
    const double fromAxis = std::abs(std::remainder(degrees, 90.0));
    if (fromAxis < kStraight) continue;
    const double back = kCell / scale;
    const cv::Rect inImage(cv::Point(int(box.x * back), int(box.y * back)),
                           cv::Size(int(std::ceil(box.width * back)), int(std::ceil(box.height * back))));
    blobs.push_back({{inImage & cv::Rect(0, 0, grey.cols, grey.rows), degrees}, area});
  }
  std::sort(blobs.begin(), blobs.end(), [](const Blob& x, const Blob& y) { return x.cells > y.cells; });
  for (const Blob& blob : blobs) {
    if (static_cast<int>(found.size()) >= limit) break;
    found.push_back(blob.area);
  }
  return found;
}

}  // namespace Recognizer
