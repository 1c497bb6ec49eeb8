#pragma once
#include <QImage>
#include <QRect>
#include <vector>

// The ink of the lines above and below in a line's cut-out. Where lines
// stand close (terminals, editors: a pitch of 1.2 line heights or less), the
// detector's boxes and the margins around them reach into the neighbours:
// the foot of the line above (an underscore, a descender) and the tops of the
// one below come with the cut-out. The engine reads them as marks of the line
// ("." for the top of an "l" under a quote, "_" under a space), takes them
// for its baseline, and the ink band they stretch makes the line scaled
// smaller than its neighbours.
namespace ocr {

// Paints with `ground` the ink in `part` (grey, `area` of the page) that
// belongs to another line than boxes[index]: marks that do not reach the
// middle of the box and either
//  - are cut by the cut-out's top or bottom edge (the page goes on beyond it
//    there: the rest of the mark is outside);
//  - lie within the box of a line above or below and nearer its middle than
//    this box's, each measured in its box's height;
//  - are long flat bars above all of the line's letters (the frame of a
//    window, a rule), across half the cut-out at least.
// `ink` is how far from the ground a pixel must be to be ink; `darkInk`
// whether ink is darker than the ground. `page` is the page's rectangle.
void clearNeighbourInk(QImage& part, const QRect& area, const QRect& page, const std::vector<QRect>& boxes, size_t index,
                       int ground, int ink, bool darkInk);

}  // namespace ocr
