#pragma once
#include <QImage>
#include <vector>

#include "recognition/base/Result.h"

// The quote marks of code that the engine loses. A line of nothing but
// quotes (a docstring's `"""`) holds no letter: the engine's layout analysis
// finds no line there, and a line read alone comes out as junk or as a mark
// of the chrome. Quotes starting a line ("""Sensor ...) lose some of their
// marks, which moves the line's indentation. In a monospace block every mark
// stands in a character cell: a quote is one short upright tick at the top
// of its cell ('), or two side by side ("), and the cells are counted on
// the image.
namespace ocr {

// The grid of a block of monospace lines (Indents.h): the pitch of its
// cells, the left edge of its leftmost line's ink, its lines' height (all in
// the rows' pixels) and the rows that belong to it, top to bottom, with
// those a mark read at their start puts off its grid.
struct CodeGrid {
  double pitch = 0;
  double base = 0;
  double height = 0;
  std::vector<size_t> rows;
};

// Puts back in `rows` (top to bottom, boxes in the pixels of `image`,
// bottom-left origin) the block's quote marks: a line of quotes alone in
// the room between two of its lines becomes a row of its own; a row whose
// ink is quotes alone reads as them; a row whose ink starts with more quote
// cells than its text starts with quotes gets them all, its box reaching
// over them. Gives whether anything changed.
bool restoreQuotes(std::vector<std::vector<Piece>>& rows, const CodeGrid& grid, const QImage& image);

}  // namespace ocr
