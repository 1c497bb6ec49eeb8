#pragma once
#include "recognition/engines/EngineRun.h"

namespace ocr {

// Puts the words of a right-to-left line into reading order from where they
// stand: right to left, with each run of left-to-right words (a product name,
// the number beside it) kept left to right, so that "Windows 11" in an Arabic
// sentence does not come back as "11 Windows". The line's text becomes its
// words joined by spaces. Lines that do not start right-to-left, that hold no
// left-to-right word, or whose words are not all placed stay as they are.
void putInReadingOrder(EngineLine& line);

}  // namespace ocr
