#pragma once
#include <array>
#include <opencv2/core.hpp>

namespace Recognizer {

// Corners of a linear code in pixel indices of its image (top-left origin):
// the two ends of the scan line grown perpendicular to it over the bars.
using BarCorners = std::array<cv::Point2f, 4>;

// How far a linear code reaches on both sides of the scan line from `start`
// (its first bar) to `end` (its last bar): rows parallel to the line count as
// long as they carry the same bar pattern. A read of a single symbol reports
// only the line or two it decoded, so its box would be a sliver.
BarCorners barExtent(const cv::Mat& grey, cv::Point2f start, cv::Point2f end);

// Paints the code and a little of its quiet zone white, so that the next read
// of the same image finds the next code.
void eraseBars(cv::Mat& grey, const BarCorners& corners);

}  // namespace Recognizer
