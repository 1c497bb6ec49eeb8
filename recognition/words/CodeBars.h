#pragma once
#include <QImage>
#include <vector>

#include "recognition/words/CodeQuotes.h"

// The underscores of code that the engine loses. A dunder's bars run into
// one another and into a bracket beside them ("__init__("), and the engine
// reads them as one bar fewer, as a dash, or as a space ("self. values"),
// which also moves a line starting with them. In a monospace block every
// underscore fills a character cell with a flat bar under the baseline and
// nothing else, so a line's text can be laid over its cells.
namespace ocr {

// Lays the text of each of the block's rows (`grid`, boxes in the pixels of
// `image`, bottom-left origin; its pieces one space apart) over the row's
// cells, empty, a bar alone or other ink, and puts in an underscore where a
// bar cell has none: one left out, or read as a space or a dash; a space,
// dash, underscore or quote the engine put in where no cell is goes. Nothing
// else of the text changes, and a row whose text does not lie over its cells
// nearly as it is stays as it is; a row that changes becomes one piece.
// Gives whether anything changed.
bool restoreUnderscores(std::vector<std::vector<Piece>>& rows, const CodeGrid& grid, const QImage& image);

}  // namespace ocr
