#pragma once
#include <opencv2/core.hpp>
#include <vector>

namespace Recognizer {

// Areas of a grey image that may hold a square matrix symbol: dense, compact
// blobs of dark marks, largest first, each with some margin around it. The
// code reader's DataMatrix and Aztec detectors only look at the middle of
// the image they are given (measured: a symbol away from the middle of a
// page goes unread), so each candidate is read again on its own.
std::vector<cv::Rect> matrixCandidates(const cv::Mat& grey, int limit);

}  // namespace Recognizer
