#include "recognition/tables/TableColumns.h"

#include <algorithm>
#include <cmath>

namespace tables {

namespace {

// How much wider than the rows' median word space a column gap must be.
constexpr double kClearlyWider = 1.5;

// Words of a monospace face have nearly the same width per character: the
// middle half of them within this share of the median.
constexpr double kEvenPitch = 0.12;

// In a monospace face a space is one character wide, and the room between
// two words a little less: xterm's 6 x 13 "fixed" leaves 4 free pixels
// between the fields of `ls -l` in words 11 high, under half a height.
constexpr double kSpaceOfPitch = 0.6;

bool overlapsAny(const Interval& space, const std::vector<Interval>& strips) {
  return std::any_of(strips.begin(), strips.end(),
                     [&](const Interval& s) { return space.lo < s.hi && s.lo < space.hi; });
}

// The spaces of a row that hold no strip: its ordinary word spacing.
std::vector<double> ordinarySpaces(const Standing& row, const std::vector<Interval>& strips) {
  std::vector<double> spaces;
  double reach = row.empty() ? 0 : row.front()->rect.maxX();
  for (size_t i = 1; i < row.size(); ++i) {
    const Interval space{reach, row[i]->rect.minX()};
    if (space.hi > space.lo && !overlapsAny(space, strips)) spaces.push_back(space.hi - space.lo);
    reach = std::max(reach, row[i]->rect.maxX());
  }
  return spaces;
}

bool separates(const Interval& strip, const Standing& row) {
  const bool left = std::any_of(row.begin(), row.end(), [&](const Piece* w) { return w->rect.maxX() <= strip.lo; });
  const bool right = std::any_of(row.begin(), row.end(), [&](const Piece* w) { return w->rect.minX() >= strip.hi; });
  return left && right;
}

}  // namespace

std::vector<Standing> standing(const std::vector<std::vector<Piece>>& rows) {
  std::vector<Standing> out;
  for (const auto& row : rows) {
    Standing words;
    for (const Piece& w : row) words.push_back(&w);
    std::stable_sort(words.begin(), words.end(), [](const Piece* a, const Piece* b) { return a->rect.minX() < b->rect.minX(); });
    out.push_back(std::move(words));
  }
  return out;
}

std::vector<int> columnCover(const std::vector<std::vector<Piece>>& rows, double x0, int W) {
  // Each row's covered columns as merged intervals, added through a difference array.
  std::vector<int> diff(size_t(W) + 2, 0);
  std::vector<std::pair<int, int>> spans;
  for (const auto& row : rows) {
    spans.clear();
    for (const Piece& word : row) {
      const double a = std::max(0.0, std::floor(word.rect.minX() - x0));
      const double b = std::clamp(std::floor(word.rect.maxX() - x0), -1.0, double(W));
      if (a <= b) spans.emplace_back(int(a), int(b));
    }
    std::sort(spans.begin(), spans.end());
    for (size_t i = 0; i < spans.size();) {
      auto [lo, hi] = spans[i];
      size_t j = i + 1;
      for (; j < spans.size() && spans[j].first <= hi; ++j) hi = std::max(hi, spans[j].second);
      ++diff[size_t(lo)];
      --diff[size_t(hi) + 1];
      i = j;
    }
  }
  std::vector<int> counts(size_t(W) + 1, 0);
  int running = 0;
  for (size_t c = 0; c < counts.size(); ++c) counts[c] = running += diff[c];
  return counts;
}

double monospacePitch(const std::vector<std::vector<Piece>>& rows) {
  std::vector<double> pitches;
  for (const auto& row : rows)
    for (const Piece& w : row) {
      const long long n = text::graphemeCount(w.text);
      if (n >= 3 && w.rect.width > 0) pitches.push_back(w.rect.width / double(n));
    }
  if (pitches.size() < 8) return 0;
  std::sort(pitches.begin(), pitches.end());
  const double quarter = pitches[pitches.size() / 4], middle = pitches[pitches.size() / 2],
               third = pitches[3 * pitches.size() / 4];
  return third - quarter <= kEvenPitch * middle ? middle : 0;
}

std::vector<Interval> freeStrips(const std::vector<int>& counts, int freeLimit, double x0, double h, double pitch) {
  const double narrowest = pitch > 0 ? std::min(0.5 * h, kSpaceOfPitch * pitch) : 0.5 * h;
  std::vector<Interval> strips;
  long long runStart = -1;
  for (size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] <= freeLimit) {
      if (runStart < 0) runStart = (long long)i;
      continue;
    }
    if (runStart >= 1 && double((long long)i - runStart) >= narrowest) {
      strips.push_back({x0 + double(runStart), x0 + double(i)});
    }
    runStart = -1;
  }
  return strips;
}

std::vector<Interval> columnGaps(const std::vector<Interval>& strips, const std::vector<Standing>& rows) {
  std::vector<std::vector<double>> ordinary;
  for (const Standing& row : rows) ordinary.push_back(ordinarySpaces(row, strips));
  std::vector<Interval> gaps;
  for (const Interval& strip : strips) {
    std::vector<double> spaces;
    size_t separated = 0;
    size_t spaced = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
      if (!separates(strip, rows[r])) continue;
      ++separated;
      if (ordinary[r].empty()) continue;
      ++spaced;
      spaces.insert(spaces.end(), ordinary[r].begin(), ordinary[r].end());
    }
    if (2 * spaced < separated || spaces.empty()) {
      gaps.push_back(strip);
      continue;
    }
    std::nth_element(spaces.begin(), spaces.begin() + std::ptrdiff_t(spaces.size() / 2), spaces.end());
    if (strip.hi - strip.lo > kClearlyWider * spaces[spaces.size() / 2]) gaps.push_back(strip);
  }
  return gaps;
}

}  // namespace tables
