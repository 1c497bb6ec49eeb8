#pragma once
#include <QImage>
#include <vector>

#include "recognition/clean/Prepare.h"

// Horizontal bands of a prepared image, cut at blank rows between text lines,
// so that several engines can read one image side by side. A cut never goes
// through ink, so every line lies whole in one band.
namespace ocr {

struct Band {
  int top = 0;     // first row, in the prepared image
  int bottom = 0;  // one past the last row
};

// The rows of each text line, top to bottom: rows that differ visibly from
// the ground, with accents and dots a row or two above their letters kept in
// their line.
std::vector<Band> lineSpans(const Prepared& prepared);

// At most `count` bands covering every row, with about the same amount of
// text in each; one band when there are fewer text lines than bands wanted or
// no blank row to cut at.
std::vector<Band> bands(const Prepared& prepared, int count);

// The band as an image of its own, with `pad` rows of ground above and below.
QImage bandImage(const Prepared& prepared, const Band& band, int pad);

}  // namespace ocr
