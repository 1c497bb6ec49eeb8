#pragma once
#include <QImage>
#include <QRect>
#include <vector>

#include "recognition/base/Result.h"

// Panes side by side in a window: a file chooser's places beside its files,
// a mail program's folders beside its messages. Their lines stand at heights
// of their own, and a row read across the divider mixes two lists ("Home
// Name Size", "Other Locations archive_2023"): each pane is read by itself,
// one after the other.
namespace ocr {

// Upright lines a pixel or two wide, darker or lighter than both sides, at
// least half the image high: the candidates for dividers (top-left origin).
std::vector<QRect> uprightDividers(const QImage& grey8);

// The same for a picture of any format, remembered for the last one asked
// about: every pass of a recognition reads the same picture (25 ms a pass on
// a full-HD one, of up to eight passes).
std::vector<QRect> uprightDividersOf(const QImage& image);

}  // namespace ocr

namespace Recognizer {

// The dividers among `candidates` (top-left origin, in an image `height`
// high) that part panes of `lines`: lines on both sides within its height,
// standing at heights of their own. A table's rule has rows at the same
// heights on both sides, and parts nothing. The outermost two candidates of
// one height make a box (a list's frame) when it holds some of the lines
// and none runs over its sides: a box is as wide as it is, a divider at
// most two pixels.
std::vector<QRect> partingDividers(const std::vector<Piece>& lines, const std::vector<QRect>& candidates, double height);

// Reading-order rows (group()) of the pieces, pane by pane: what stands above
// a divider, then the pane left of it, the pane right of it, and what stands
// below (around a box: above, left of it, in it, right of it, below); each
// pane parted again by the dividers within it.
std::vector<std::vector<std::vector<Piece>>> groupInPanes(std::vector<Piece> pieces, const std::vector<QRect>& dividers,
                                                          double height);

}  // namespace Recognizer
