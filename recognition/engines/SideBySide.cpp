#include "recognition/engines/SideBySide.h"

#include <algorithm>

namespace ocr {

namespace {
thread_local int sideBySide = 1;
}  // namespace

bool readingSideBySide() { return sideBySide > 1; }

int passesSideBySide() { return sideBySide; }

SideBySide::SideBySide(int passes) : was_(sideBySide) { sideBySide = std::max(2, passes); }

SideBySide::~SideBySide() { sideBySide = was_; }

}  // namespace ocr
