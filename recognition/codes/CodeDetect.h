#pragma once
#include <opencv2/core.hpp>
#include <vector>

#include "recognition/codes/CodeVariants.h"
#include "recognition/base/Result.h"

namespace Recognizer {

// One detection on one 8-bit grey image: linear codes at any angle, QR,
// PDF417, DataMatrix and Aztec, and, only when those give nothing, a QR-only
// second opinion. Each rectangle is carried to source pixels through `back`.
// The codes are neither deduplicated nor ordered. Safe to call from several
// threads at once; uses a few threads of its own.
std::vector<Code> detect(const cv::Mat& grey, const BackMap& back);

}  // namespace Recognizer
