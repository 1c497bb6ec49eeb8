#pragma once
#include <vector>

#include "recognition/base/Result.h"

// The column gaps of a table: vertical strips of the word rows that almost no
// row covers, and that are clearly wider than the rows' word spaces.
namespace tables {

struct Interval {
  double lo;
  double hi;
};

// A row's words as they stand, left to right, whatever its reading order.
using Standing = std::vector<const Piece*>;
std::vector<Standing> standing(const std::vector<std::vector<Piece>>& rows);

// Per column 0…W of the grid starting at x0, how many rows cover it; a row
// counts once per column however many of its words cover it.
std::vector<int> columnCover(const std::vector<std::vector<Piece>>& rows, double x0, int W);

// The width of a character when the rows are set in a monospace face (their
// words' widths per character agree), else 0.
double monospacePitch(const std::vector<std::vector<Piece>>& rows);

// Runs of columns covered by at most `freeLimit` rows, at least half a word
// height `h` wide (in a monospace face of `pitch`, at least most of a space:
// a narrow face's space is less than half its height), touching neither the
// left nor the right edge of the grid.
std::vector<Interval> freeStrips(const std::vector<int>& counts, int freeLimit, double x0, double h, double pitch = 0);

// The strips clearly wider than the ordinary word spacing of the rows they
// separate. In a monospace font the single spaces of several lines fall in
// the same columns and leave free strips as wide as a space: those are no
// column gaps. Rows whose spaces are all at strips (a listing of one-word
// cells) say nothing about their word spacing, and leave a strip as it is.
std::vector<Interval> columnGaps(const std::vector<Interval>& strips, const std::vector<Standing>& rows);

}  // namespace tables
