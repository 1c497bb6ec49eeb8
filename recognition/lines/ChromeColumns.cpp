#include "recognition/lines/ChromeColumns.h"

#include <algorithm>
#include <cstdlib>

#include "recognition/base/Median.h"

namespace ocr {

namespace {

// Lines of one column: at least this many, reading alike.
constexpr int kLeast = 3;
// Boxes of one column: left edges and heights this close, in box heights.
constexpr double kAligned = 0.2;
// No taller than the median line by more than this: icons stand taller
// than the text beside them (a file chooser's folders, 16 px among lines
// of 13, read as "B" down their column).
constexpr double kTallest = 1.1;

// Two letters at least: an icon reads as one as often as not.
bool letters(const QString& text) {
  return text.size() >= 2 && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

}  // namespace

std::vector<bool> inRepeatedColumn(const std::vector<std::optional<EngineLine>>& lines) {
  std::vector<bool> out(lines.size(), false);
  std::vector<int> heights;
  for (const auto& line : lines)
    if (line && line->box) heights.push_back(line->box->height());
  if (heights.empty()) return out;
  const double typical = median(std::move(heights));
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i] || !lines[i]->box) continue;
    const QString text = QString(lines[i]->text).remove(QLatin1Char(' '));
    const QRect& box = *lines[i]->box;
    if (!letters(text) || box.height() > kTallest * typical) continue;
    const double near = std::max(2.0, kAligned * box.height());
    int alike = 0;
    for (const auto& other : lines)
      if (other && other->box && QString(other->text).remove(QLatin1Char(' ')) == text &&
          std::abs(other->box->left() - box.left()) <= near && std::abs(other->box->height() - box.height()) <= near)
        ++alike;  // itself among them
    out[i] = alike >= kLeast;
  }
  return out;
}

}  // namespace ocr
