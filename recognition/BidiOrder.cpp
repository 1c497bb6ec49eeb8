#include "recognition/BidiOrder.h"

#include <algorithm>

namespace ocr {

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

// The engine's text is in its reading order: its first strong letter tells
// which way the line runs (a line may hold as many Latin letters as Arabic).
bool runsRightToLeft(const QString& text) {
  for (const QChar c : text) {
    const QChar::Direction d = c.direction();
    if (d == QChar::DirR || d == QChar::DirAL) return true;
    if (d == QChar::DirL) return false;
  }
  return false;
}

bool hasDigit(const QString& word) {
  return std::any_of(word.begin(), word.end(), [](QChar c) { return c.isDigit(); });
}

}  // namespace

void putInReadingOrder(EngineLine& line) {
  if (line.words.size() < 2 || !runsRightToLeft(line.text)) return;
  if (std::any_of(line.words.begin(), line.words.end(), [](const EngineWord& w) { return !w.box; })) return;
  std::vector<EngineWord> seen = line.words;  // left to right as they stand
  std::stable_sort(seen.begin(), seen.end(), [](const EngineWord& a, const EngineWord& b) { return a.box->center().x() < b.box->center().x(); });
  std::vector<Flow> flow;
  for (const EngineWord& w : seen) flow.push_back(flowOf(w.text));
  if (std::none_of(flow.begin(), flow.end(), [](Flow f) { return f == Flow::leftToRight; })) return;
  // Numbers beside a left-to-right word belong to its run ("Windows 11"),
  // and so does whatever neutral stands between two such words.
  const size_t n = seen.size();
  std::vector<bool> ltr(n);
  for (size_t i = 0; i < n; ++i) ltr[i] = flow[i] == Flow::leftToRight;
  for (bool grew = true; grew;) {
    grew = false;
    for (size_t i = 0; i < n; ++i) {
      if (ltr[i] || flow[i] != Flow::neutral) continue;
      const bool left = i > 0 && ltr[i - 1], right = i + 1 < n && ltr[i + 1];
      if ((left && right) || ((left || right) && hasDigit(seen[i].text))) ltr[i] = grew = true;
    }
  }
  // Right to left: a right-to-left or lone word at a time, a left-to-right
  // run as a whole in its own order.
  std::vector<EngineWord> ordered;
  for (size_t end = n; end > 0;) {
    size_t start = end - 1;
    while (ltr[end - 1] && start > 0 && ltr[start - 1]) --start;
    for (size_t i = start; i < end; ++i) ordered.push_back(seen[i]);
    end = start;
  }
  QStringList texts;
  for (const EngineWord& w : ordered) texts << w.text;
  line.words = std::move(ordered);
  line.text = texts.join(QLatin1Char(' '));
}

}  // namespace ocr
