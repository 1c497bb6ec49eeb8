#include "recognition/words/LetterInk.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "recognition/words/CodeInk.h"

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
// A line is set in a monospace face when at least this share of the spans
// between neighbouring letters (and of those next to a telling letter) are
// one pitch, within this share of it or a pixel (glyphs placed on whole
// pixels at a 6.5 pixel pitch), whichever is more; a pitch under this many
// pixels is no letter's; fewer spans, or telling spans, than these tell
// nothing.
constexpr double kOnPitchShare = 0.9, kNearShare = 1.0 / 6, kLeastPitch = 3;
constexpr std::ptrdiff_t kEnoughSpans = 6, kEnoughTelling = 3;

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

// A word's ink in its box: the marks halfway to the darkest (as the engine's
// boxes have it) labelled and grouped into letters, and the faint ink, a
// quarter of the way, where the letters may be put right.
struct WordInk {
  cv::Mat labels, faint;
  std::vector<Letter> letters;
};

WordInk inkOf(const QImage& grey8, const QRect& area, int ground, bool withFaint) {
  WordInk w;
  const int threshold = halfwayToDarkest(grey8, area, ground);
  const int faintest = ground - (ground - threshold) / 2;
  cv::Mat ink(area.height(), area.width(), CV_8U);
  if (withFaint) w.faint.create(area.height(), area.width(), CV_8U);
  for (int y = 0; y < area.height(); ++y) {
    const uchar* row = grey8.constScanLine(area.top() + y) + area.left();
    uchar* to = ink.ptr<uchar>(y);
    for (int x = 0; x < area.width(); ++x) to[x] = row[x] < threshold ? 255 : 0;
    if (withFaint) {
      uchar* f = w.faint.ptr<uchar>(y);
      for (int x = 0; x < area.width(); ++x) f[x] = row[x] < faintest ? 255 : 0;
    }
  }
  cv::Mat stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, w.labels, stats, centroids, 8, CV_32S);
  w.letters = lettersOf(stats, n);
  return w;
}

QString putRight(const QString& word, const WordInk& ink) {
  if (qsizetype(ink.letters.size()) != word.size()) return word;
  QString out = word;
  for (qsizetype i = 0; i < word.size(); ++i) {
    const Letter& l = ink.letters[size_t(i)];
    if (l.label == 0) continue;
    if (word[i] == QLatin1Char('e') && open(ink.labels, ink.faint, l.box, l.label)) out[i] = QLatin1Char('c');
    if (word[i] == QLatin1Char('L') && footTurnsRight(ink.labels, l.box, l.label)) out[i] = QLatin1Char('l');
  }
  return out;
}

bool candidate(const QString& word) {
  return word.contains(QLatin1Char('e')) || word.contains(QLatin1Char('L'));
}

// Letters a proportional face sets far narrower or wider than most: the
// spans next to them tell its lines from a monospace face's, where the rest
// (a, b, c, e, n, o...) stand about as far apart in either.
bool telling(QChar c) {
  return QStringView(u"fijlrtIJmwMW.,:;!|'").contains(c);
}

// The distance between the centres of two neighbouring letters within a
// word, doubled to stay whole, and whether one of them is a telling letter.
struct Span {
  int doubled;
  bool telling;
};

// Whether the letters of a line stand one pitch apart, as a monospace face
// sets them: nearly all the spans within its words are near the middle one,
// the telling ones too, and there are enough of those to tell.
bool oneForEachLetter(std::vector<Span>& spans) {
  if (std::ssize(spans) < kEnoughSpans ||
      std::count_if(spans.begin(), spans.end(), [](const Span& s) { return s.telling; }) < kEnoughTelling)
    return false;
  std::nth_element(spans.begin(), spans.begin() + std::ptrdiff_t(spans.size() / 2), spans.end(),
                   [](const Span& a, const Span& b) { return a.doubled < b.doubled; });
  const double pitch = spans[spans.size() / 2].doubled;
  if (pitch < 2 * kLeastPitch) return false;
  const double near = std::max(2.0, kNearShare * pitch);
  int on = 0, tellingOn = 0, tellingAll = 0;
  for (const Span& s : spans) {
    const bool onPitch = std::abs(s.doubled - pitch) <= near;
    on += onPitch;
    tellingAll += s.telling;
    tellingOn += s.telling && onPitch;
  }
  return on >= kOnPitchShare * double(spans.size()) && tellingOn >= kOnPitchShare * tellingAll;
}

}  // namespace

void lettersByTheirInk(EngineLine& line, const QImage& grey8, int ground, const std::function<QRect(const QRect&)>& boxIn,
                       Pitch pitch) {
  if (std::none_of(line.words.begin(), line.words.end(), [](const EngineWord& w) { return candidate(w.text); })) return;
  // Every word's letters are measured for the pitch (unless it is known);
  // only those that may be put right keep their ink.
  struct Found {
    EngineWord* word;
    qsizetype at;
    WordInk ink;
  };
  std::vector<Found> found;
  std::vector<Span> spans;
  qsizetype pos = 0;
  for (EngineWord& w : line.words) {
    const qsizetype at = w.text.isEmpty() ? -1 : line.text.indexOf(w.text, pos);
    if (at < 0) continue;
    pos = at + w.text.size();
    if (!w.box) continue;
    const QRect area = (boxIn ? boxIn(*w.box) : *w.box) & grey8.rect();
    if (area.isEmpty()) continue;
    const bool mayChange = candidate(w.text);
    if (!mayChange && pitch == Pitch::Fixed) continue;
    WordInk ink = inkOf(grey8, area, ground, mayChange);
    // Only words whose marks stand one per letter: a letter broken in two or
    // two run together would measure half or twice a pitch.
    if (qsizetype(ink.letters.size()) == w.text.size())
      for (size_t i = 1; i < ink.letters.size(); ++i) {
        const cv::Rect &a = ink.letters[i - 1].box, &b = ink.letters[i].box;
        spans.push_back({2 * b.x + b.width - 2 * a.x - a.width,
                         telling(w.text[qsizetype(i) - 1]) || telling(w.text[qsizetype(i)])});
      }
    if (mayChange) found.push_back({&w, at, std::move(ink)});
  }
  if (pitch == Pitch::FromInk && !oneForEachLetter(spans)) return;
  // A letter for a letter: the places found stay right.
  for (Found& f : found) {
    const QString right = putRight(f.word->text, f.ink);
    if (right == f.word->text) continue;
    line.text.replace(f.at, f.word->text.size(), right);
    f.word->text = right;
  }
}

}  // namespace ocr
