#include "recognition/engines/SideBySide.h"

#include <algorithm>
#include <thread>

namespace ocr {

namespace {
thread_local int sideBySide = 1;
}  // namespace

bool readingSideBySide() { return sideBySide > 1; }

int passesSideBySide() { return sideBySide; }

SideBySide::SideBySide(int passes) : was_(sideBySide) { sideBySide = std::max(2, passes); }

SideBySide::~SideBySide() { sideBySide = was_; }

}  // namespace ocr

namespace Recognizer {

int defaultParallel() { return std::max(1, int(std::thread::hardware_concurrency()) - 1); }

}  // namespace Recognizer
