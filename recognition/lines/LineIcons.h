#pragma once
#include <QImage>
#include <QRect>
#include <optional>
#include <vector>

#include "recognition/engines/EngineRun.h"

namespace ocr {

// Leaves out the first word of a line when it is the icon beside the text
// rather than text: a file chooser's row, a sidebar's place, a path bar's
// button start with a pictogram that the engine reads as "@", "+", "B", "|"
// or "f&S". The word is a few characters without a digit, standing apart
// from the rest, and its ink is either far paler than the words' (a grey
// file icon, a header's divider) or holds one connected shape taller than
// the words' letters and about as wide (a 16 px icon beside 10 px
// capitals). A number stays, and so do a symbol or a word of the text's own
// size ("+ 2", "# note", "A list").
// `part` is the line's cut-out (dark on light, `ground` its background) of
// the source pixels `area`, `lineHeight` the height of the detector's box;
// the words' boxes are in source pixels. The line's text and box shrink to
// what is kept.
void dropLeadingIcon(EngineLine& line, const QImage& part, const QRect& area, int ground, int lineHeight);

// The same test for a line the detector boxed alone: a few characters just
// before the words of the nearest line of `lines` to its right on its row
// (source pixels of `grey8`, either polarity).
bool loneIcon(const EngineLine& line, const QImage& grey8, const std::vector<std::optional<EngineLine>>& lines);

// Whether the ink in `mark` is an icon beside the ink in `words` (boxes of
// `grey8`, whose background is `ground`): apart from them, and far paler,
// or a shape larger than their letters and most of `lineHeight` high.
bool iconBeside(const QImage& grey8, const QRect& mark, const QRect& words, int ground, int lineHeight);

}  // namespace ocr
