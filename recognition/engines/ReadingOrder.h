#pragma once
#include <QString>
#include <vector>

namespace text {

// A word as it stands on a line: its text and its left and right edges.
struct PlacedWord {
  QString text;
  double left = 0;
  double right = 0;
};

// The reading order of the words of a right-to-left line, given as they stand
// from left to right: their indices right to left, with each run of
// left-to-right words kept left to right, so that "Windows 11" in an Arabic
// sentence does not come back as "11 Windows". Numbers beside a
// left-to-right word belong to its run, and so does a neutral word between
// two such words. Only neighbours less than `nearBelow` apart make a run: a
// wider space parts the columns of a table, which read right to left.
std::vector<size_t> rightToLeftOrder(const std::vector<PlacedWord>& leftToRight, double nearBelow);

// True when some word runs left to right (holds more Latin-like letters than
// Arabic or Hebrew ones).
bool anyLeftToRight(const std::vector<PlacedWord>& words);

}  // namespace text
