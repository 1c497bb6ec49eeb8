#include "recognition/words/CodeInk.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ocr {

QRect inImage(const PixelRect& r, int imageHeight) {
  return QRect(int(std::floor(r.minX())), int(std::floor(imageHeight - r.maxY())), int(std::ceil(r.width)),
               int(std::ceil(r.height)));
}

cv::Mat inkOf(const QImage& grey8, const QRect& area) {
  const cv::Mat pixels(area.height(), area.width(), CV_8U,
                       const_cast<uchar*>(grey8.constScanLine(area.y())) + area.x(), size_t(grey8.bytesPerLine()));
  std::vector<uchar> values(pixels.begin<uchar>(), pixels.end<uchar>());
  std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(values.size() / 2), values.end());
  const int ground = values[values.size() / 2];
  double darkest = 255, lightest = 0;
  cv::minMaxLoc(pixels, &darkest, &lightest);
  const bool dark = ground - darkest >= lightest - ground;
  const double contrast = dark ? ground - darkest : lightest - ground;
  if (contrast < 60) return {};
  return dark ? cv::Mat(pixels < ground - 0.45 * contrast) : cv::Mat(pixels > ground + 0.45 * contrast);
}

int halfwayToDarkest(const QImage& grey8, const QRect& area, int ground) {
  const QRect within = area & grey8.rect();
  int darkest = 255;
  if (!within.isEmpty())
    for (int y = within.top(); y <= within.bottom(); ++y) {
      const uchar* row = grey8.constScanLine(y) + within.left();
      darkest = std::min<int>(darkest, *std::min_element(row, row + within.width()));
    }
  return (ground + darkest + 1) / 2;
}

}  // namespace ocr
