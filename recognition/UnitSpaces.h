#pragma once
#include <tesseract/baseapi.h>

#include "recognition/EngineRun.h"

// The space between a number and its unit ("4 MB", "3 KB") that the engine
// drops when it reads a short line on its own: with one or two gaps in the
// line it has nothing to tell a space from the room between two letters,
// and "4MB" is not a word anyone looks for. The characters' boxes tell: a
// digit and a letter set apart by far more than the word's other
// characters are two words.
namespace ocr {

// Splits the words of `line` (as just read by `engine`, whose word boxes
// are in the same pixels) where digits end and letters begin with such a gap
// between them. Lines read right to left are left as they are. The text,
// words and their boxes stay consistent.
void keepUnitSpaces(EngineLine& line, tesseract::TessBaseAPI& engine);

}  // namespace ocr
