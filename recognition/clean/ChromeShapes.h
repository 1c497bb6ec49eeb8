#pragma once
#include <QImage>
#include <QRect>
#include <vector>
#include <opencv2/core.hpp>

// Small helpers shared by the parts of the screen cleaning (ScreenClean.h).
namespace ocr::chrome {

// The grey level text is given where the cleaning makes it dark.
constexpr int kInkTarget = 32;

// The image's pixels as an OpenCV matrix, sharing the memory (rows padded to
// bytesPerLine).
inline cv::Mat asMat(QImage& grey8) { return {grey8.height(), grey8.width(), CV_8UC1, grey8.bits(), size_t(grey8.bytesPerLine())}; }
inline cv::Mat asMat(const QImage& grey8) {
  return {grey8.height(), grey8.width(), CV_8UC1, const_cast<uchar*>(grey8.constBits()), size_t(grey8.bytesPerLine())};
}

// The shape with its holes filled: everything that the outside of the box
// cannot reach without crossing the shape. `shape` is 0/255.
cv::Mat interior(const cv::Mat& shape);

// Paints the pixels under `mask` with the ground.
void paint(cv::Mat& g, const cv::Mat& mask, int ground);

// The parts of the cleaning, each in place on a grey image whose ink is
// darker than `ground`. `em` is the estimated size of the text's font in
// pixels; each returns how many shapes it changed.
double estimateEm(const QImage& grey8, int ground);
int flattenIslands(QImage& grey8, int ground, double em, std::vector<QRect>* controls);
// Adds the boxes of fields and drop-downs found by their lighter fill.
int findFields(const QImage& grey8, int ground, double em, std::vector<QRect>& controls);
// `removed` (0/255, the image's size) gathers the lines painted over, so that
// a later call still sees the frame a short side belonged to.
int removeLines(QImage& grey8, int ground, double em, cv::Mat& removed, std::vector<QRect>* controls);
int removeMarks(QImage& grey8, int ground, double em, const std::vector<QRect>& controls);
// A window's frame (WindowFrame.cpp): the desktop around it, one level from
// end to end, given the ground; the icon and buttons at the ends of its
// title bar given the bar's own fill, the title left.
int clearDesktop(QImage& grey8, int ground);
int clearTitleButtons(QImage& grey8, double em);

}  // namespace ocr::chrome
