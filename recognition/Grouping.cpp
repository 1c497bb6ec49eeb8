#include <algorithm>
#include <cmath>
#include <limits>

#include "recognition/base/Letters.h"
#include "recognition/engines/ReadingOrder.h"
#include "recognition/Recognizer.h"

namespace Recognizer {

namespace {

// A sort key that keeps the order strict and weak even for a NaN coordinate
// (which then sorts as the lowest value).
double key(double v) { return std::isnan(v) ? -std::numeric_limits<double>::infinity() : v; }

}  // namespace

std::vector<std::vector<Piece>> group(std::vector<Piece> pieces) {
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const Piece& a, const Piece& b) { return key(a.rect.midY()) > key(b.rect.midY()); });

  std::vector<std::vector<Piece>> rows;
  double mean = 0;
  double height = 0;
  for (Piece& piece : pieces) {
    const double mid = piece.rect.midY();
    const double h = piece.rect.height;
    // A zero-height piece has a zero limit, so it neither joins nor is joined.
    if (!rows.empty() && std::abs(mean - mid) < 0.5 * std::min(height, h)) {
      rows.back().push_back(std::move(piece));
      mean += (mid - mean) / double(rows.back().size());
      height = std::max(height, h);
    } else {
      rows.push_back({std::move(piece)});
      mean = mid;
      height = h;
    }
  }

  for (auto& row : rows) {
    // A right-to-left row reads from its right edge: sorting it left to right
    // would reverse the order of its words. Left-to-right runs inside it
    // ("Windows 11", "12 KB") still read left to right.
    QString text;
    for (const Piece& piece : row) text += piece.text;
    if (text::isRightToLeft(text)) {
      std::stable_sort(row.begin(), row.end(),
                       [](const Piece& a, const Piece& b) { return key(a.rect.maxX()) > key(b.rect.maxX()); });
      std::reverse(row.begin(), row.end());
      std::vector<text::PlacedWord> standing;
      double height = 0;
      for (const Piece& piece : row) {
        standing.push_back({piece.text, piece.rect.minX(), piece.rect.maxX()});
        height = std::max(height, piece.rect.height);
      }
      std::vector<Piece> read;
      for (size_t i : text::rightToLeftOrder(standing, height)) read.push_back(std::move(row[i]));
      row = std::move(read);
    } else {
      std::stable_sort(row.begin(), row.end(),
                       [](const Piece& a, const Piece& b) { return key(a.rect.minX()) < key(b.rect.minX()); });
    }
  }
  return rows;
}

double score(const Pass& pass) { return double(text::letterCount(pass.result.text())) * pass.confidence; }

}  // namespace Recognizer
