#pragma once
#include <opencv2/core.hpp>
#include <vector>

namespace Recognizer {

// An area whose marks run in parallel at a slant: bars of a linear code
// turned away from the axes.
struct SlantedArea {
  cv::Rect box;        // in pixels of the image, top-left origin
  double degrees = 0;  // turning the image by this much (counter-clockwise on screen) makes the bars upright
};

// The code reader scans linear codes along rows and columns only, so a code
// turned by more than a few degrees is read only when a straight line crosses
// all of its bars. These are the areas worth turning upright and reading
// again: strongly oriented texture (a structure tensor per cell), largest first.
std::vector<SlantedArea> slantedBars(const cv::Mat& grey, int limit);

}  // namespace Recognizer
