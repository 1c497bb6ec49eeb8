#include "recognition/words/DotGaps.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "recognition/base/Median.h"

namespace ocr {

namespace {

// Ink must stand out this much from the ground for marks to be measured.
constexpr int kContrast = 40;

struct Mark {
  int x, y, w, h, area;
  int right() const { return x + w - 1; }
  int bottom() const { return y + h - 1; }
};

std::vector<Mark> marks(const QImage& grey8, int ground) {
  std::vector<Mark> out;
  int darkest = 255;
  for (int y = 0; y < grey8.height(); ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = 0; x < grey8.width(); ++x) darkest = std::min<int>(darkest, row[x]);
  }
  if (ground - darkest < kContrast) return out;
  const int mid = (ground + darkest) / 2;
  cv::Mat ink(grey8.height(), grey8.width(), CV_8U);
  for (int y = 0; y < grey8.height(); ++y) {
    const uchar* row = grey8.constScanLine(y);
    uchar* to = ink.ptr<uchar>(y);
    for (int x = 0; x < grey8.width(); ++x) to[x] = row[x] < mid ? 255 : 0;
  }
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i)
    out.push_back({stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
                   stats.at<int>(i, cv::CC_STAT_HEIGHT), stats.at<int>(i, cv::CC_STAT_AREA)});
  return out;
}

// Columns of `gaps` opened before column `x` of the opened image.
int openedBefore(int x, const std::vector<DotGap>& gaps) {
  int shift = 0;
  for (const DotGap& g : gaps) {
    const int start = g.at + shift;  // where the gap begins in the opened image
    if (x < start) break;
    if (x < start + g.width) return shift + (x - start);
    shift += g.width;
  }
  return shift;
}

}  // namespace

std::vector<InnerDot> innerDotMarks(const QImage& grey8, int ground) {
  std::vector<InnerDot> dots;
  if (grey8.isNull() || grey8.format() != QImage::Format_Grayscale8) return dots;
  const std::vector<Mark> all = marks(grey8, ground);
  int tallest = 0;
  for (const Mark& m : all) tallest = std::max(tallest, m.h);
  std::vector<int> heights;
  for (const Mark& m : all)
    if (m.h >= 0.35 * tallest) heights.push_back(m.h);
  const double letter = median(heights);  // a typical letter's height
  if (letter < 8) return dots;
  // Letters stand on the baseline, some reach below it: of the bottoms, one
  // low in order ("фото.jpg" has four letters reaching below).
  std::vector<int> bottoms;
  for (const Mark& m : all)
    if (m.h >= 0.5 * letter) bottoms.push_back(m.bottom());
  std::sort(bottoms.begin(), bottoms.end());
  const double baseline = bottoms.empty() ? 0 : bottoms[bottoms.size() * 3 / 10];
  auto letterSized = [&](const Mark& m) { return m.h >= 0.4 * letter; };
  const double small = std::max(2.0, 0.08 * letter), large = 0.3 * letter;

  for (const Mark& dot : all) {
    if (dot.w < small || dot.h < small || dot.w > large || dot.h > large) continue;
    if (std::max(dot.w, dot.h) > 2 * std::min(dot.w, dot.h) + 1 || dot.area * 2 < dot.w * dot.h) continue;
    // A mark centred above it makes a colon, a semicolon, "!" or "?"; the
    // dot of a "j" set close after it only reaches over it.
    const bool stacked = std::any_of(all.begin(), all.end(), [&](const Mark& m) {
      return &m != &dot && m.x <= dot.right() && m.right() >= dot.x && m.bottom() < dot.y &&
             std::abs(m.x + m.right() - dot.x - dot.right()) <= dot.w;
    });
    if (stacked) continue;
    const Mark* left = nullptr;
    const Mark* right = nullptr;
    for (const Mark& m : all) {
      if (&m == &dot || !letterSized(m)) continue;
      if (m.right() < dot.x && (!left || m.right() > left->right())) left = &m;
      if (2 * m.x + m.w > 2 * dot.right() + 1 && (!right || m.x < right->x)) right = &m;
    }
    if (!left || !right) continue;
    // On the baseline, or level with the foot of a letter beside it: the
    // parts of Hangul syllables and Arabic's marks below move the baseline
    // measured over the line.
    const double level = std::max(2.0, 0.15 * letter), beside = std::max(2.0, 0.25 * letter);
    if (std::abs(dot.bottom() - baseline) > level && std::abs(dot.bottom() - left->bottom()) > beside &&
        std::abs(dot.bottom() - right->bottom()) > beside)
      continue;
    const int before = dot.x - left->right() - 1;
    const int after = std::max(0, right->x - dot.right() - 1);
    if (before > 0.4 * letter || after > 0.4 * letter || after > before + 0.3 * letter) continue;
    dots.push_back({dot.x, dot.right(), dot.bottom(), letter});
  }
  std::sort(dots.begin(), dots.end(), [](const InnerDot& a, const InnerDot& b) { return a.left < b.left; });
  return dots;
}

std::vector<DotGap> innerDots(const QImage& grey8, int ground) {
  std::vector<DotGap> gaps;
  for (const InnerDot& dot : innerDotMarks(grey8, ground))
    gaps.push_back({dot.right + 1, std::max(4, int(std::lround(0.6 * dot.letter)))});
  return gaps;
}

QImage withGaps(const QImage& grey8, const std::vector<DotGap>& gaps, int ground) {
  if (gaps.empty()) return grey8;
  int added = 0;
  for (const DotGap& g : gaps) added += g.width;
  QImage out(grey8.width() + added, grey8.height(), QImage::Format_Grayscale8);
  if (out.isNull()) return grey8;
  out.fill(uint(ground));
  for (int y = 0; y < grey8.height(); ++y) {
    const uchar* from = grey8.constScanLine(y);
    uchar* to = out.scanLine(y);
    int x = 0, shift = 0;
    for (const DotGap& g : gaps) {
      const int end = std::clamp(g.at, x, grey8.width());
      std::memcpy(to + x + shift, from + x, size_t(end - x));
      x = end;
      shift += g.width;
    }
    std::memcpy(to + x + shift, from + x, size_t(grey8.width() - x));
  }
  return out;
}

namespace {

// Whether an opened gap lies between neighbouring words `a` and `b` of a
// line read from the opened image.
bool opensBetween(const EngineWord& a, const EngineWord& b, const std::vector<DotGap>& gaps) {
  if (!a.box || !b.box) return false;
  const int ca = a.box->left() + a.box->right(), cb = b.box->left() + b.box->right();
  int shift = 0;
  for (const DotGap& g : gaps) {
    const int middle = 2 * (g.at + shift) + g.width;
    shift += g.width;
    if (ca < middle && middle < cb) return true;
  }
  return false;
}

}  // namespace

bool dotsReadAsDots(const EngineLine& line, const std::vector<DotGap>& gaps) {
  for (size_t i = 1; i < line.words.size(); ++i)
    if (opensBetween(line.words[i - 1], line.words[i], gaps) && !line.words[i - 1].text.endsWith(QLatin1Char('.')))
      return false;
  return true;
}

void closeDotGaps(EngineLine& line, const std::vector<DotGap>& gaps) {
  if (gaps.empty()) return;
  // Where each word is in the text, found in order.
  std::vector<qsizetype> at(line.words.size(), -1);
  qsizetype from = 0;
  for (size_t i = 0; i < line.words.size(); ++i) {
    at[i] = line.text.indexOf(line.words[i].text, from);
    if (at[i] >= 0) from = at[i] + line.words[i].text.size();
  }
  std::vector<EngineWord> words;
  QString text = line.text;
  qsizetype removed = 0;  // characters taken out of `text` so far
  for (size_t i = 0; i < line.words.size(); ++i) {
    if (!words.empty() && at[i] >= 0 && at[i - 1] >= 0 && opensBetween(line.words[i - 1], line.words[i], gaps)) {
      const qsizetype end = at[i - 1] + line.words[i - 1].text.size();
      const QString between = line.text.mid(end, at[i] - end);
      if (between.trimmed().isEmpty()) {
        text.remove(end - removed, between.size());
        removed += between.size();
        words.back().text += line.words[i].text;
        *words.back().box |= *line.words[i].box;
        continue;
      }
    }
    words.push_back(line.words[i]);
  }
  for (EngineWord& w : words) {
    if (!w.box) continue;
    const int x0 = w.box->left() - openedBefore(w.box->left(), gaps);
    const int x1 = w.box->right() - openedBefore(w.box->right(), gaps);
    w.box = QRect(QPoint(x0, w.box->top()), QPoint(std::max(x0, x1), w.box->bottom()));
  }
  line.text = text;
  line.words = std::move(words);
  if (line.box) {
    const int x0 = line.box->left() - openedBefore(line.box->left(), gaps);
    const int x1 = line.box->right() - openedBefore(line.box->right(), gaps);
    line.box = QRect(QPoint(x0, line.box->top()), QPoint(std::max(x0, x1), line.box->bottom()));
  }
}

}  // namespace ocr
