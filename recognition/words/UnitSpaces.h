#pragma once
#include <QImage>
#include <tesseract/baseapi.h>

#include "recognition/engines/EngineRun.h"

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

// The Korean model drops the space between two words of a short line as
// well ("인쇄 매수" as "인쇄매수"), where its own words part all the same.
// Where two of the engine's words of `line` meet without a space between
// Hangul syllables, and `image` (what the engine read, `ground` its
// background) shows a blank as wide as a space between them (against the
// line's `inkHeight` in the image's pixels), a space goes in.
void keepSyllableSpaces(EngineLine& line, tesseract::TessBaseAPI& engine, const QImage& image, int ground,
                        double inkHeight);

}  // namespace ocr
