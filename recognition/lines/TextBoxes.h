#pragma once
#include <QRect>
#include <opencv2/core.hpp>
#include <vector>

// Line boxes from a text detector's probability map: the map thresholded,
// each connected region a candidate, kept when the detector is sure enough
// of it on average, then grown back to the text's full extent (the network
// marks a shrunk core of each line).
namespace ocr {

struct BoxOptions {
  double threshold = 0.3;  // probability above which a pixel is text
  double boxScore = 0.6;   // mean probability a region needs to be kept
  double unclip = 1.6;     // growth: area times this over the perimeter, on every side
  int minSide = 3;         // regions thinner than this are specks
};

// `probability` is CV_8U, 0-255 standing for 0-1. Boxes in the map's pixels,
// top-left origin, clipped to the map, in the order of their top-left
// corners (top to bottom); boxes that overlap by half the smaller one's area
// are one.
std::vector<QRect> textBoxes(const cv::Mat& probability, const BoxOptions& options = {});

// Boxes of one row: mostly level, of about one height.
bool oneRow(const QRect& a, const QRect& b);

// A line box's length in its own heights: about the letters it holds, and
// what reading it costs.
inline double lengthInHeights(const QRect& box) {
  return box.height() > 0 ? double(box.width()) / box.height() : 0.0;
}

// The lengths of all the boxes together.
inline double lengthInHeights(const std::vector<QRect>& boxes) {
  double length = 0;
  for (const QRect& box : boxes) length += lengthInHeights(box);
  return length;
}

}  // namespace ocr
