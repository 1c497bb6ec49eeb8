#pragma once
#include <QImage>

#include "recognition/base/EngineLine.h"

// The spaces of a line that code does not have. In monospace faces the
// engine reads the low bar of an underscore standing between two words as
// a space ("file path"), and the room a narrow ".", ":" or "_" leaves in its
// cell as one ("os.path. join", "std: :vector", "parse _config"). The image
// says otherwise: an underscore is a flat bar at the foot of the line filling
// the gap, and a space is wider than what a narrow mark leaves beside it.
namespace ocr {

// Repairs `line` as read from `grey8` (dark on light, `ground` its
// background grey; the line's word boxes in its pixels): a gap holding
// nothing but a bar at the foot of the line becomes underscores, joining
// the words it touches; a space beside ".", ":" or "_" that is far narrower
// than the line's other spaces, or hardly a gap at all, is dropped. Lines
// read right to left, and words without boxes or not found in the line's
// text, are left as they are. The text, words and box stay consistent.
void closeCodeGaps(EngineLine& line, const QImage& grey8, int ground);

// Underscores drawn one pixel thick between two pixel rows come out as two
// rows of light grey that the engine's binarisation drops. Flat bars that
// light, no thicker than a fifth of `lineHeight` and with text above them,
// are given the darkness of the text in `grey8` (dark on light, `ground` its
// background). Gives how many were.
int darkenFaintBars(QImage& grey8, int ground, double lineHeight);

}  // namespace ocr
