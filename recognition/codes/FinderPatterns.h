#pragma once
#include <opencv2/core.hpp>
#include <vector>

// The finder patterns of QR codes (a dark square ring around a dark centre,
// 7 modules across), found cheaply: the code library pairs every three of
// them, so that a screen of many codes (a 20 x 20 grid of one code: 1,200
// patterns) took it 8 s and more, to find none. Such a screen is read in
// cells instead, each holding a few codes.
namespace Recognizer {

// The boxes of the finder patterns of dark-on-light codes in an 8-bit grey image.
std::vector<cv::Rect> finderPatterns(const cv::Mat& grey);

// Overlapping square cells covering the image, each large enough to hold
// a whole code of the size the patterns tell; none when the patterns are
// few enough for the library to read the image whole.
std::vector<cv::Rect> codeCells(const cv::Size& image, const std::vector<cv::Rect>& patterns);

}  // namespace Recognizer
