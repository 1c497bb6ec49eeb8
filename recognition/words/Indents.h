#pragma once
#include <QImage>
#include <vector>

#include "recognition/base/Result.h"

// The indentation of code in a monospace face. The engine reads every line
// flush left; Python's blocks, and any code's look, hang on how many
// character cells each line starts right of the block's leftmost line. In a
// monospace face a line's width is its length in characters times one
// pitch, and every line starts on that pitch's grid.
namespace ocr {

// Puts the leading spaces of its indentation in front of the first piece of
// each row (top to bottom, as Recognizer::group gives them) whose first piece
// belongs to a block of monospace lines: at least three lines about as wide
// as their lengths in characters times one pitch, their left edges on that
// pitch's grid, and, given `words` (rows of the same pieces' words), the
// words of those lines as wide as their characters say too, which a
// proportional face's are not. Short lines (a brace, `"""`) between the
// block's lines join it when they start on its grid. Every other row is left
// as it is. The count is relative to the block's leftmost line, so a drag
// that starts a few pixels left of the code adds nothing. The block's
// typographic quotes (as the engine reads some of code's straight ones)
// become straight. Given the image the rows' boxes are in (`image`, their
// bottom-left pixels), the quote marks the engine lost come back first
// (CodeQuotes.h).
void indentCode(std::vector<std::vector<Piece>>& rows, const std::vector<std::vector<Piece>>& words = {},
                const QImage& image = {});

}  // namespace ocr
