#include "recognition/words/BitmapDots.h"

#include <algorithm>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "recognition/words/CodeInk.h"

namespace ocr {

namespace {

// A mark this small against the word's tallest mark is punctuation.
constexpr double kSmall = 0.4;

struct Mark {
  int left, top, width, height;
  // How far the ink of the mark's lower half stands left of its upper half's
  // (the means of their columns): a comma's tail hangs to the left.
  double leaning = 0;
  int bottom() const { return top + height; }
};

// The connected marks of ink (darker than halfway to the darkest pixel: not
// the softened rims) in `box`, left to right.
std::vector<Mark> marksIn(const QImage& grey8, const QRect& box, int ground) {
  const QRect area = box & grey8.rect();
  if (area.isEmpty()) return {};
  cv::Mat ink(area.height(), area.width(), CV_8U);
  const int threshold = halfwayToDarkest(grey8, area, ground);
  for (int y = 0; y < area.height(); ++y) {
    const uchar* row = grey8.constScanLine(area.top() + y) + area.left();
    for (int x = 0; x < area.width(); ++x) ink.at<uchar>(y, x) = row[x] < threshold ? 255 : 0;
  }
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  std::vector<Mark> marks;
  for (int i = 1; i < n; ++i) {
    Mark m{stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
           stats.at<int>(i, cv::CC_STAT_HEIGHT)};
    double sum[2] = {0, 0}, count[2] = {0, 0};
    for (int y = m.top; y < m.bottom(); ++y)
      for (int x = m.left; x < m.left + m.width; ++x) {
        if (labels.at<int>(y, x) != i || 2 * (y - m.top) == m.height - 1) continue;  // the middle row is neither half
        const int half = 2 * (y - m.top) >= m.height;
        sum[half] += x, ++count[half];
      }
    if (count[0] > 0 && count[1] > 0) m.leaning = sum[0] / count[0] - sum[1] / count[1];
    marks.push_back(m);
  }
  std::sort(marks.begin(), marks.end(), [](const Mark& a, const Mark& b) { return a.left < b.left; });
  return marks;
}

bool punctuation(QChar c) { return QStringLiteral(".,:;").contains(c); }

// The word with its commas put right, or itself.
QString wordPutRight(const QString& word, const QImage& grey8, const QRect& box, int ground, int scale) {
  if (!word.contains(QLatin1Char(','))) return word;
  const std::vector<Mark> marks = marksIn(grey8, box, ground);
  int tallest = 0;
  for (const Mark& m : marks) tallest = std::max(tallest, m.height);
  const auto small = [&](const Mark& m) { return m.height <= kSmall * tallest && m.width <= kSmall * tallest; };
  // The foot: where most letters end (digits and most letters stand on it,
  // few hang below).
  std::vector<int> bottoms;
  for (const Mark& m : marks)
    if (!small(m)) bottoms.push_back(m.bottom());
  if (bottoms.empty()) return word;
  std::nth_element(bottoms.begin(), bottoms.begin() + std::ptrdiff_t(bottoms.size() / 2), bottoms.end());
  const int foot = bottoms[bottoms.size() / 2];
  std::vector<const Mark*> onFoot;
  for (const Mark& m : marks)
    if (small(m) && m.top > foot - tallest / 2 && m.top < foot && m.bottom() >= foot - scale) onFoot.push_back(&m);
  // The runs of ".,:;" in the word, one mark each: the engine reads one
  // diamond as ",." at times ("5,.2,15-2+b8").
  std::vector<std::pair<qsizetype, qsizetype>> runs;
  for (qsizetype i = 0; i < word.size(); ++i) {
    if (!punctuation(word[i])) continue;
    if (!runs.empty() && runs.back().second == i) ++runs.back().second;
    else runs.push_back({i, i + 1});
  }
  if (runs.size() != onFoot.size()) return word;
  QString out = word;
  for (size_t k = runs.size(); k-- > 0;) {
    const QString run = word.mid(runs[k].first, runs[k].second - runs[k].first);
    const bool dotsAndCommas = std::all_of(run.begin(), run.end(), [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(','); });
    if (run.contains(QLatin1Char(',')) && dotsAndCommas && 4 * onFoot[k]->leaning < scale)
      out.replace(runs[k].first, run.size(), QStringLiteral("."));
  }
  return out;
}

}  // namespace

void commasOnTheFoot(EngineLine& line, const QImage& grey8, int ground, int scale) {
  qsizetype pos = 0;
  for (EngineWord& w : line.words) {
    const qsizetype found = w.text.isEmpty() ? -1 : line.text.indexOf(w.text, pos);
    if (found < 0) continue;
    pos = found + w.text.size();
    if (!w.box) continue;
    const QString right = wordPutRight(w.text, grey8, *w.box, ground, scale);
    if (right == w.text) continue;
    line.text.replace(found, w.text.size(), right);
    pos += right.size() - w.text.size();
    w.text = right;
  }
}

}  // namespace ocr
