#pragma once
#include <QImage>
#include <functional>
#include <vector>

#include "recognition/base/Result.h"

namespace Recognizer {

// What a code search reads the time from and reports its variants to; tests
// put a scripted clock here. The defaults: the monotonic clock, no report.
struct CodeSearchProbe {
  std::function<double()> now;              // seconds
  std::function<void(int variant)> trying;  // 1-based, before the variant renders
};

// codes() with its clock and its variant count open to the caller.
std::vector<Code> searchCodes(const QImage& image, bool thorough, double budget, const CodeSearchProbe& probe);

// Keeps the first code of each payload (the boxes of the others in its
// `again`), then orders the codes top first
// (largest maxY first, ties in detection order).
std::vector<Code> dedupeAndOrder(const std::vector<Code>& found);

}  // namespace Recognizer
