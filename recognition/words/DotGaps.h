#pragma once
#include <QImage>
#include <vector>

#include "recognition/engines/EngineRun.h"

// File names in a script other than Latin ("отчёт.pdf", "보고서.pdf", "写真.jpg"):
// the engine picks one language per word, so a name and its extension in one
// word come back wholly in one script ("oTuét.pdf", "OAM.pdf"). Read with a
// little room after the dot, name and extension are two words, each read in
// its own language, and are joined again afterwards.
namespace ocr {

struct DotGap {
  int at = 0;     // the column the room is opened at, in the image read first
  int width = 0;  // columns of ground inserted there
};

// Where `grey8` (one line, dark on light, `ground` its background) holds a
// dot on the baseline inside a word: letters close on both sides, and no
// more room after the dot than before it plus a little (a full stop ends a
// word with a space after it; the dots of a colon or an ellipsis are not
// this). Left to right.
std::vector<DotGap> innerDots(const QImage& grey8, int ground);

// The same dots themselves: their columns, the row of their foot, and the
// typical letter height of the line around them.
struct InnerDot {
  int left = 0, right = 0, bottom = 0;
  double letter = 0;
};
std::vector<InnerDot> innerDotMarks(const QImage& grey8, int ground);

// `grey8` with the room opened at `gaps`.
QImage withGaps(const QImage& grey8, const std::vector<DotGap>& gaps, int ground);

// Whether the engine read a dot before every opened gap of `line` (read
// from the opened image): the foot of a small Cyrillic "л" taken for a dot
// reads as "!" or "," there ("или" as "и!пи").
bool dotsReadAsDots(const EngineLine& line, const std::vector<DotGap>& gaps);

// A line read from an image opened at `gaps`, put back into the pixels of
// the image before: the words on both sides of an opened gap are one word
// again, in the text as in the words, and every box moves back by the room
// opened before it.
void closeDotGaps(EngineLine& line, const std::vector<DotGap>& gaps);

}  // namespace ocr
