#include "recognition/SideBySide.h"

namespace ocr {

namespace {
thread_local bool sideBySide = false;
}  // namespace

bool readingSideBySide() { return sideBySide; }

SideBySide::SideBySide() : was_(sideBySide) { sideBySide = true; }

SideBySide::~SideBySide() { sideBySide = was_; }

}  // namespace ocr
