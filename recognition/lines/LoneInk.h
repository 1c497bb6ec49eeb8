#pragma once
#include <QImage>
#include <QRect>
#include <vector>

// The text detector gives no box to a lone narrow character: a spin box's
// "1" is found by no threshold of its map, while the "2" of the same box is;
// at twice the size its box is so small that the reader takes it for an
// arrow (leastHeight). Ink of a character's height, narrow, a stroke through its middle,
// standing alone on the ground and in no box that is read, is given a box of
// its own, grown as the detector grows its boxes.
namespace ocr {

// The boxes to add to `boxes` (those the reader reads) for such ink of
// `grey8` (Format_Grayscale8, dark on light, `ground` its background,
// cleaned of chrome), ink being at least `inkThreshold` darker than the
// ground; `lineHeight` is the page's typical ink height.
std::vector<QRect> loneInkBoxes(const QImage& grey8, int ground, int inkThreshold, double lineHeight,
                                const std::vector<QRect>& boxes);

}  // namespace ocr
