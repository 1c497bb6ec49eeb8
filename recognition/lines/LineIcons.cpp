#include "recognition/lines/LineIcons.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <opencv2/imgproc.hpp>

#include "recognition/clean/Prepare.h"
#include "recognition/base/Result.h"

namespace ocr {

namespace {

// Greys this close to the ground are no part of a shape.
constexpr int kFaintest = 16;

// An icon reads as a few characters at most ("@", "B", "f&S", "[Bl").
constexpr int kIconChars = 3;

// The ink of a box of the cut-out: its bounds and how far its darkest pixel
// stands from the ground. Ink is what stands at least half that far, so an
// icon's pale fill or a glyph's anti-aliased rim does not widen it.
struct Ink {
  QRect bounds;
  int contrast = 0;
};

Ink inkIn(const QImage& part, const QRect& box, int ground) {
  Ink ink;
  const QRect r = box & part.rect();
  for (int y = r.top(); y <= r.bottom(); ++y) {
    const uchar* row = part.constScanLine(y);
    for (int x = r.left(); x <= r.right(); ++x) ink.contrast = std::max(ink.contrast, std::abs(ground - int(row[x])));
  }
  if (ink.contrast <= 0) return ink;
  const int least = std::max(1, ink.contrast / 2);
  int x0 = r.right() + 1, x1 = r.left() - 1, y0 = r.bottom() + 1, y1 = r.top() - 1;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    const uchar* row = part.constScanLine(y);
    for (int x = r.left(); x <= r.right(); ++x)
      if (std::abs(ground - int(row[x])) >= least) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  }
  if (x1 >= x0) ink.bounds = QRect(QPoint(x0, y0), QPoint(x1, y1));
  return ink;
}

// An icon's ink against the text's: at most this share of the words'
// contrast (a grey file icon stands 44 levels off white beside black names,
// a header's divider 44 beside its grey titles at 102).
constexpr double kPale = 0.5;
// One connected shape this much taller than the words' ink band and about
// as wide: a 14 px icon beside 12 px letters. No glyph of the text is (its
// "+", "#", "W" are no taller than its capitals, an accent stands apart).
constexpr double kTaller = 1.12;
constexpr double kAsWide = 0.85;
// And this share of the line's box at least: a capital beside words of
// small letters alone ("Na" of a header's "Name" read apart) is taller than
// they are, but half the box, where an icon fills two thirds of it.
constexpr double kOfLine = 0.6;
constexpr double kMostOf = 0.75;

// The connected shapes of the ink in `box` (a quarter as far from `ground`
// as `contrast` or more: an icon is drawn in several greys, its darkest a
// spot of it), in `grey8`'s pixels.
std::vector<QRect> shapes(const QImage& grey8, const QRect& box, int ground, int contrast) {
  std::vector<QRect> out;
  const QRect r = box & grey8.rect();
  if (r.isEmpty()) return out;
  cv::Mat mask(r.height(), r.width(), CV_8U);
  const int least = std::max(kFaintest, contrast / 4);
  for (int y = 0; y < r.height(); ++y) {
    const uchar* row = grey8.constScanLine(r.top() + y) + r.left();
    for (int x = 0; x < r.width(); ++x) mask.at<uchar>(y, x) = std::abs(ground - int(row[x])) >= least ? 255 : 0;
  }
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i)
    out.emplace_back(r.left() + stats.at<int>(i, cv::CC_STAT_LEFT), r.top() + stats.at<int>(i, cv::CC_STAT_TOP),
                     stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
  return out;
}

// The height of the words' letters from the tallest to the baseline (where
// most shapes end): descenders and underscores left out.
int letterHeight(const std::vector<QRect>& letters) {
  if (letters.empty()) return 0;
  std::vector<int> feet;
  for (const QRect& l : letters) feet.push_back(l.bottom());
  std::nth_element(feet.begin(), feet.begin() + std::ptrdiff_t(feet.size() / 2), feet.end());
  const int baseline = feet[feet.size() / 2];
  int top = baseline;
  for (const QRect& l : letters)
    if (std::abs(l.bottom() - baseline) <= 1) top = std::min(top, l.top());
  return baseline - top + 1;
}

// A character of a script written without an alphabet: one is a syllable
// or a word, a square as large as an icon (Han, kana, Hangul).
bool wide(QChar ch) {
  const QChar::Script script = ch.script();
  return script == QChar::Script_Han || script == QChar::Script_Hiragana || script == QChar::Script_Katakana ||
         script == QChar::Script_Hangul;
}

// A token an icon may be read as: a few characters, no digit (a number
// before the words is theirs), none of them a syllable or an ideograph.
bool iconToken(const QString& token) {
  return !token.isEmpty() && text::graphemeCount(token) <= kIconChars &&
         std::none_of(token.begin(), token.end(), [](QChar c) { return c.isDigit() || wide(c); });
}

}  // namespace

bool iconBeside(const QImage& grey8, const QRect& mark, const QRect& words, int ground, int lineHeight) {
  const Ink icon = inkIn(grey8, mark, ground), rest = inkIn(grey8, words, ground);
  if (icon.bounds.isNull() || rest.bounds.isNull()) return false;
  // Apart from the words: the engine's boxes of neighbours may touch.
  if (icon.bounds.right() >= rest.bounds.left() - 1) return false;
  if (icon.contrast < kPale * rest.contrast) return true;
  const int letters = letterHeight(shapes(grey8, words, ground, rest.contrast));
  const double tall = std::max(kTaller * letters, kOfLine * lineHeight), wide = kAsWide * letters;
  // The parts of a drawing stacked one over another are one shape (a bin
  // and its lid); a letter's dot over its stem makes no more than a letter.
  std::vector<QRect> marks = shapes(grey8, mark, ground, icon.contrast);
  for (size_t i = 0; i < marks.size(); ++i)
    for (size_t j = i + 1; j < marks.size(); ++j) {
      const int common = std::min(marks[i].right(), marks[j].right()) - std::max(marks[i].left(), marks[j].left()) + 1;
      if (common < 0.5 * std::min(marks[i].width(), marks[j].width())) continue;
      marks[i] |= marks[j];
      marks.erase(marks.begin() + std::ptrdiff_t(j));
      j = i;
    }
  // The shape is the token's ink, nearly all of it: a word read beside a
  // ring or a box of its own (a radio button's label) is no icon.
  const double most = kMostOf * icon.bounds.width();
  return std::any_of(marks.begin(), marks.end(),
                     [&](const QRect& m) { return m.height() >= tall && m.width() >= std::max(wide, most); });
}

bool loneIcon(const EngineLine& line, const QImage& grey8, const std::vector<std::optional<EngineLine>>& lines) {
  if (!line.box || !iconToken(line.text.trimmed())) return false;
  const QRect& box = *line.box;
  QRect next;
  for (const auto& other : lines)
    if (other && other->box && &*other != &line && other->box->left() > box.right() && other->box->top() <= box.bottom() &&
        other->box->bottom() >= box.top() && (next.isNull() || other->box->left() < next.left()))
      next = *other->box;
  if (next.isEmpty()) return false;
  // Just before the words on their row: less than a line's height apart,
  // mostly level with them.
  const int gap = next.left() - box.right() - 1;
  const int common = std::min(box.bottom(), next.bottom()) - std::max(box.top(), next.top()) + 1;
  if (gap < 0 || gap > next.height() || common < next.height() / 2) return false;
  const Measure m = measure(grey8.copy(box | next));
  return iconBeside(grey8, box, next, m.background, next.height());
}

void dropLeadingIcon(EngineLine& line, const QImage& part, const QRect& area, int ground, int lineHeight) {
  auto& words = line.words;
  if (words.size() < 2 || part.isNull()) return;
  if (std::any_of(words.begin(), words.end(), [](const EngineWord& w) { return !w.box; })) return;
  const auto first = std::min_element(words.begin(), words.end(),
                                      [](const EngineWord& a, const EngineWord& b) { return a.box->left() < b.box->left(); });
  const QString token = first->text.trimmed();
  if (!iconToken(token)) return;
  QRect restBox;
  for (auto w = words.begin(); w != words.end(); ++w)
    if (w != first) restBox |= *w->box;
  if (first->box->right() >= restBox.left()) return;
  if (!iconBeside(part, first->box->translated(-area.topLeft()), restBox.translated(-area.topLeft()), ground, lineHeight))
    return;
  words.erase(first);
  QString text = line.text.trimmed();
  if (text.startsWith(token)) text = text.mid(token.size()).trimmed();
  line.text = text;
  QRect box;
  for (const EngineWord& w : words) box |= *w.box;
  line.box = box;
}

}  // namespace ocr
