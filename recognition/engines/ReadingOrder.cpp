#include "recognition/engines/ReadingOrder.h"

#include <algorithm>

namespace text {

namespace {

enum class Flow { rightToLeft, leftToRight, neutral };

Flow flowOf(const QString& word) {
  int rtl = 0, ltr = 0;
  for (const QChar c : word) {
    const QChar::Direction d = c.direction();
    rtl += d == QChar::DirR || d == QChar::DirAL;
    ltr += d == QChar::DirL;
  }
  if (rtl == 0 && ltr == 0) return Flow::neutral;
  return rtl >= ltr ? Flow::rightToLeft : Flow::leftToRight;
}

bool hasDigit(const QString& word) {
  return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

bool anyLeftToRight(const std::vector<PlacedWord>& words) {
  return std::any_of(words.begin(), words.end(),
                     [](const PlacedWord& w) { return flowOf(w.text) == Flow::leftToRight; });
}

std::vector<size_t> rightToLeftOrder(const std::vector<PlacedWord>& leftToRight, double nearBelow) {
  const size_t n = leftToRight.size();
  std::vector<Flow> flow;
  for (const PlacedWord& w : leftToRight) flow.push_back(flowOf(w.text));
  // near[i]: word i and word i + 1 stand a word space apart, not a column gap.
  std::vector<bool> near(n, false);
  for (size_t i = 0; i + 1 < n; ++i) near[i] = leftToRight[i + 1].left - leftToRight[i].right < nearBelow;
  std::vector<bool> ltr(n);
  for (size_t i = 0; i < n; ++i) ltr[i] = flow[i] == Flow::leftToRight;
  for (bool grew = true; grew;) {
    grew = false;
    for (size_t i = 0; i < n; ++i) {
      if (ltr[i] || flow[i] != Flow::neutral) continue;
      const bool left = i > 0 && ltr[i - 1] && near[i - 1], right = i + 1 < n && ltr[i + 1] && near[i];
      if ((left && right) || ((left || right) && hasDigit(leftToRight[i].text))) ltr[i] = grew = true;
    }
  }
  // Right to left: a right-to-left or lone word at a time, a left-to-right
  // run of near neighbours as a whole in its own order.
  std::vector<size_t> order;
  for (size_t end = n; end > 0;) {
    size_t start = end - 1;
    while (ltr[end - 1] && start > 0 && ltr[start - 1] && near[start - 1]) --start;
    for (size_t i = start; i < end; ++i) order.push_back(i);
    end = start;
  }
  return order;
}

}  // namespace text
