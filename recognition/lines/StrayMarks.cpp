#include "recognition/lines/StrayMarks.h"

#include <algorithm>

namespace ocr {

namespace {

// How far a stray mark stands from the words, in line heights: field arrows
// and scroll bar buttons stand many (a column's width), the padding of a
// text table's "|" a few characters.
constexpr double kFar = 3.0;

bool mark(const QString& token) {
  return !token.isEmpty() && std::none_of(token.begin(), token.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

}  // namespace

void dropStrayMarks(EngineLine& line) { dropEndMarks(line, mark, kFar); }

void dropEndMarks(EngineLine& line, const std::function<bool(const QString&)>& isMark, double gap) {
  std::vector<EngineWord>& words = line.words;
  if (words.size() < 2 || !line.box) return;
  if (std::any_of(words.begin(), words.end(), [](const EngineWord& w) { return !w.box; })) return;
  if (std::all_of(words.begin(), words.end(), [&](const EngineWord& w) { return isMark(w.text); })) return;
  const double far = gap * line.box->height();
  std::vector<QString> dropped;
  // Along the line as it stands on the image: the ends are its leftmost and
  // rightmost words, whichever way it reads.
  auto byX = [](const EngineWord& a, const EngineWord& b) { return a.box->center().x() < b.box->center().x(); };
  for (bool again = true; again && words.size() >= 2;) {
    again = false;
    const auto left = std::min_element(words.begin(), words.end(), byX);
    const auto right = std::max_element(words.begin(), words.end(), byX);
    auto gapBeside = [&](const EngineWord& w, bool leftEnd) {
      double gap = 1e18;
      for (const EngineWord& o : words)
        if (&o != &w) gap = std::min<double>(gap, leftEnd ? o.box->left() - w.box->right() : w.box->left() - o.box->right());
      return gap;
    };
    for (auto end : {left, right}) {
      if (!isMark(end->text) || gapBeside(*end, end == left) < far) continue;
      dropped.push_back(end->text);
      words.erase(end);
      again = true;
      break;
    }
  }
  if (dropped.empty()) return;
  // The line's text keeps its own spacing (Chinese and Japanese have none
  // between words): the marks come off its ends.
  QString text = line.text.trimmed();
  for (const QString& token : dropped) {
    if (text.startsWith(token)) text.remove(0, token.size());
    else if (text.endsWith(token)) text.chop(token.size());
    text = text.trimmed();
  }
  QRect box;
  for (const EngineWord& w : words) box |= *w.box;
  line.box = box;
  line.text = text;
}

}  // namespace ocr
