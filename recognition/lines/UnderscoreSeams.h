#pragma once
#include <QImage>
#include <QRect>
#include <vector>

// The detector marks no underscore as text: a line of code ("def __init__(")
// comes as two boxes that grew into each other and were parted at the
// underscores, and each read loses them ("def ___", "_init_(self"). Two
// boxes of one row that touch, or nearly, are one again where an underscore (a flat run
// of ink low in the row, ground above and below it, at least half the row's
// height long) lies at their seam. Boxes parted in a space between words (the
// columns of a listing) stay apart.
namespace ocr {

// `boxes` in pixels of `grey8` (top-left origin), whose background is
// `ground`; ink stands `inkContrast` or more from it.
void joinAtUnderscores(std::vector<QRect>& boxes, const QImage& grey8, int ground, int inkContrast);

}  // namespace ocr
