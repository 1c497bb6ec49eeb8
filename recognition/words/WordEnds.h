#pragma once
#include <QImage>

#include "recognition/engines/EngineRun.h"

// The engine gives the first word of a line at times a box to the line's end
// (and so do its letters): xterm's 6x13 face enlarged, "-rwxr-xr-x" came
// boxed over "1 root root" after it, and the mode then straddled every
// column gap of the listing.
namespace ocr {

// Each word box of `line` (pixels of `grey8`, dark on light, `ground` its
// background grey) that runs on over the start of the next word, in the
// order the words stand whatever the line's reading order, is ended before
// that word, at its own last column of ink. Boxes that end where they should
// stay as they are.
void endWordsAtInk(EngineLine& line, const QImage& grey8, int ground);

// Each word of `line` whose ink holds a blank run as wide as a character of
// the line or wider (the median width per letter of its words of three
// letters or more; fewer than three such words give no measure) is two words,
// cut where the run's middle falls among its letters by the room they take.
// Read larger, the engine joined the "-> ." after a link's name in `ls -l`
// into "->.", across a whole cell of a monospace face; within a word no gap
// is that wide, and the spaces of a proportional face are narrower.
void splitAtSpaces(EngineLine& line, const QImage& grey8, int ground);

}  // namespace ocr
