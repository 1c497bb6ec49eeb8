#include "recognition/LetterInk.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "recognition/CodeInk.h"

namespace ocr {

namespace {

// The middle third of a letter's rows: an "e"'s bar and the stroke above it
// to the right lie there, a "c" is open there (its ends curl down and up to
// a third of its height, xterm's 6 x 13 "c" to its second and fifth rows).
constexpr double kMiddleFrom = 1.0 / 3, kMiddleTo = 2.0 / 3;
// The right part of a letter, from this share of its width.
constexpr double kRightFrom = 0.6;
// How far, as a share of a letter's width, its top reaches out left of its
// stem in an "l" whose foot turns right (DejaVu Sans Mono): at least this,
// where an "L"'s stem is its left edge. Its foot stays within this share
// left of the stem, where a serif face's "L" (and its "l") has a foot
// reaching out left too.
constexpr double kReachesOut = 0.2, kStaysIn = 0.1;
// The top and the foot of a letter: this share of its rows at either end.
constexpr double kEnd = 0.25;

struct Letter {
  cv::Rect box;     // in the word's ink mask
  int label = 0;    // its only mark's label; 0 when it is made of several
};

// The marks of `ink` (8-connected) grouped into letters, left to right: marks
// that overlap across most of the narrower one's width are one letter (the
// dot of an "i", the two of a colon).
std::vector<Letter> lettersOf(const cv::Mat& stats, int n) {
  std::vector<Letter> marks;
  for (int i = 1; i < n; ++i)
    marks.push_back({cv::Rect(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                              stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT)),
                     i});
  std::sort(marks.begin(), marks.end(), [](const Letter& a, const Letter& b) { return a.box.x < b.box.x; });
  std::vector<Letter> letters;
  for (const Letter& m : marks) {
    if (!letters.empty()) {
      Letter& last = letters.back();
      const int overlap = std::min(last.box.x + last.box.width, m.box.x + m.box.width) - std::max(last.box.x, m.box.x);
      if (2 * overlap > std::min(last.box.width, m.box.width)) {
        last.box |= m.box;
        last.label = 0;
        continue;
      }
    }
    letters.push_back(m);
  }
  return letters;
}

// Whether the mark `label` in `box` is open as a "c" is, with the faint ink
// `faint` holds there: none of it in the right part of its middle rows, and
// no ground closed in by it (anti-aliased, a small "e"'s bar is lighter than
// halfway to the darkest; a serif face's "e" has it higher up).
bool open(const cv::Mat& labels, const cv::Mat& faint, const cv::Rect& box, int label) {
  if (box.width < 3 || box.height < 3) return false;
  const cv::Mat mine = (labels(box) == label) | faint(box);
  for (int y = int(std::ceil(kMiddleFrom * box.height)); y < int(std::floor(kMiddleTo * box.height)); ++y)
    for (int x = int(std::ceil(kRightFrom * box.width)); x < box.width; ++x)
      if (mine.at<uchar>(y, x)) return false;
  // The ground around the mark flooded from a border: any left unreached is
  // closed in.
  cv::Mat around;
  cv::copyMakeBorder(mine, around, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
  cv::floodFill(around, cv::Point(0, 0), 128);
  return cv::countNonZero(around == 0) == 0;
}

// Whether the mark `label` in `box` is an "l" that turns its foot right:
// its top reaches out left of its stem (where its middle rows start), its
// foot does not.
bool footTurnsRight(const cv::Mat& labels, const cv::Rect& box, int label) {
  if (box.width < 3 || box.height < 6) return false;
  const cv::Mat mine = labels(box) == label;
  auto starts = [&](int from, int to) {
    std::vector<int> out;
    for (int y = from; y < to; ++y) {
      int x = 0;
      while (x < box.width && !mine.at<uchar>(y, x)) ++x;
      if (x < box.width) out.push_back(x);
    }
    return out;
  };
  std::vector<int> middle = starts(int(std::ceil(kMiddleFrom * box.height)), int(std::floor(kMiddleTo * box.height)));
  const int end = std::max(1, int(std::lround(kEnd * box.height)));
  const std::vector<int> top = starts(0, end), foot = starts(box.height - end, box.height);
  if (middle.empty() || top.empty() || foot.empty()) return false;
  std::nth_element(middle.begin(), middle.begin() + std::ptrdiff_t(middle.size() / 2), middle.end());
  const int stem = middle[middle.size() / 2];
  return stem - *std::min_element(top.begin(), top.end()) >= kReachesOut * box.width &&
         stem - *std::min_element(foot.begin(), foot.end()) <= kStaysIn * box.width;
}

QString wordPutRight(const QString& word, const QImage& grey8, const QRect& box, int ground) {
  if (!word.contains(QLatin1Char('e')) && !word.contains(QLatin1Char('L'))) return word;
  const QRect area = box & grey8.rect();
  if (area.isEmpty()) return word;
  // Ink halfway to the darkest, as the engine's boxes have it; and the faint
  // ink, a quarter of the way.
  const int threshold = halfwayToDarkest(grey8, area, ground);
  const int faintest = ground - (ground - threshold) / 2;
  cv::Mat ink(area.height(), area.width(), CV_8U), faint(area.height(), area.width(), CV_8U);
  for (int y = 0; y < area.height(); ++y) {
    const uchar* row = grey8.constScanLine(area.top() + y) + area.left();
    for (int x = 0; x < area.width(); ++x) {
      ink.at<uchar>(y, x) = row[x] < threshold ? 255 : 0;
      faint.at<uchar>(y, x) = row[x] < faintest ? 255 : 0;
    }
  }
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  const std::vector<Letter> letters = lettersOf(stats, n);
  if (qsizetype(letters.size()) != word.size()) return word;
  QString out = word;
  for (qsizetype i = 0; i < word.size(); ++i) {
    const Letter& l = letters[size_t(i)];
    if (l.label == 0) continue;
    if (word[i] == QLatin1Char('e') && open(labels, faint, l.box, l.label)) out[i] = QLatin1Char('c');
    if (word[i] == QLatin1Char('L') && footTurnsRight(labels, l.box, l.label)) out[i] = QLatin1Char('l');
  }
  return out;
}

}  // namespace

void lettersByTheirInk(EngineLine& line, const QImage& grey8, int ground, const std::function<QRect(const QRect&)>& boxIn) {
  qsizetype pos = 0;
  for (EngineWord& w : line.words) {
    const qsizetype found = w.text.isEmpty() ? -1 : line.text.indexOf(w.text, pos);
    if (found < 0) continue;
    pos = found + w.text.size();
    if (!w.box) continue;
    const QString right = wordPutRight(w.text, grey8, boxIn ? boxIn(*w.box) : *w.box, ground);
    if (right == w.text) continue;
    line.text.replace(found, w.text.size(), right);
    w.text = right;
  }
}

}  // namespace ocr
