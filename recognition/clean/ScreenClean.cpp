#include "recognition/clean/ScreenClean.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "recognition/clean/ChromeShapes.h"
#include "recognition/clean/Prepare.h"

namespace ocr {

namespace chrome {

double estimateEm(const QImage& grey8, int ground) {
  const cv::Mat g = asMat(grey8);
  cv::Mat ink = g < std::max(0, ground - 40);
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  std::vector<int> heights, strokes;
  for (int i = 1; i < n; ++i) {
    const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
    if (h >= 4 && h <= grey8.height() / 3 + 4 && w <= 3 * h && stats.at<int>(i, cv::CC_STAT_AREA) >= 8)
      (w <= 2 ? strokes : heights).push_back(h);
  }
  // Upright strokes a pixel or two wide: "l", "1", an alef, and the sides of
  // buttons. A calculator's keys outnumbered its letters, and its glyphs
  // seemed three times their size (the menu bar's words went as marks): a
  // stroke twice as tall as the other glyphs' middle one is no glyph.
  if (!heights.empty()) {
    std::vector<int> sorted = heights;
    const auto mid = sorted.begin() + std::ptrdiff_t(sorted.size() / 2);
    std::nth_element(sorted.begin(), mid, sorted.end());
    for (const int h : strokes)
      if (h < 2 * *mid) heights.push_back(h);
  } else {
    heights = strokes;
  }
  if (heights.empty()) return 0;
  // Ascenders and capitals stand about 0.72 em high; the upper quartile of
  // the glyphs' heights is theirs in any Latin, Cyrillic or Arabic text, and
  // close to the whole height of Chinese, Japanese and Korean characters.
  const auto q = heights.begin() + std::ptrdiff_t(heights.size() * 3 / 4);
  std::nth_element(heights.begin(), q, heights.end());
  return *q / 0.72;
}

namespace {

// How much darker than the page a patch must be to be given the page's
// ground: a dark theme's fields stand 30 levels below its window.
constexpr int kPatch = 25;
// How much lighter than the window a field is: white on a light grey window
// stands 16 levels above it, a dark theme's field 11 once inverted.
constexpr int kFieldLift = 6;

// The level that `share` of the values under `mask` stay below.
int quantileUnder(const cv::Mat& g, const cv::Mat& mask, double share) {
  std::array<int, 256> hist{};
  int total = 0;
  for (int y = 0; y < g.rows; ++y) {
    const uchar* gv = g.ptr<uchar>(y);
    const uchar* mv = mask.ptr<uchar>(y);
    for (int x = 0; x < g.cols; ++x)
      if (mv[x]) ++hist[gv[x]], ++total;
  }
  int seen = 0;
  for (int v = 0; v < 256; ++v)
    if ((seen += hist[size_t(v)]) >= share * total) return v;
  return 255;
}

int findRoot(std::vector<int>& parent, int i) {
  while (parent[size_t(i)] != i) i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
  return i;
}

// Pieces of one patch that its own text cut apart: a title bar or a selected
// row barely taller than its light text keeps only a thin rim of fill above
// and below the letters, which the opening takes away, so the bar falls into
// the pieces left and right of its text and the text between them was read
// as neither. Pieces of one height, side by side, whose rims run on unbroken
// between them are one patch again. Each label maps to one label of its group;
// pieces lower than `least` stay apart.
std::vector<int> joinSplitPatches(const cv::Mat& dark, const cv::Mat& stats, int n, double least) {
  std::vector<int> parent(size_t(std::max(n, 0)));
  for (int i = 0; i < n; ++i) parent[size_t(i)] = i;
  auto at = [&](int i, int what) { return stats.at<int>(i, what); };
  auto bottom = [&](int i) { return at(i, cv::CC_STAT_TOP) + at(i, cv::CC_STAT_HEIGHT); };
  auto right = [&](int i) { return at(i, cv::CC_STAT_LEFT) + at(i, cv::CC_STAT_WIDTH); };
  // Only pieces as tall as a patch can be; by their tops.
  std::vector<int> order;
  for (int i = 1; i < n; ++i)
    if (at(i, cv::CC_STAT_HEIGHT) >= least) order.push_back(i);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return at(a, cv::CC_STAT_TOP) < at(b, cv::CC_STAT_TOP); });
  // The share of a rim's pixels between two pieces that must be fill.
  constexpr double kRimFilled = 0.9;
  auto rimFilled = [&](int y, int x0, int x1) {
    return cv::countNonZero(dark(cv::Rect(x0, y, x1 - x0, 1))) >= kRimFilled * (x1 - x0);
  };
  auto byTop = [&](int i, int top) { return at(i, cv::CC_STAT_TOP) < top; };
  for (const int i : order) {
    const int top = at(i, cv::CC_STAT_TOP);
    // The nearest piece to the right of the same height: each piece is
    // checked against one neighbour, so a row of many costs no more than
    // their number.
    int next = -1;
    const auto from = std::lower_bound(order.begin(), order.end(), top - 2, byTop);
    for (auto it = from; it != order.end() && at(*it, cv::CC_STAT_TOP) <= top + 2; ++it) {
      const int j = *it;
      if (std::abs(bottom(j) - bottom(i)) > 2 || at(j, cv::CC_STAT_LEFT) <= right(i)) continue;
      if (next < 0 || at(j, cv::CC_STAT_LEFT) < at(next, cv::CC_STAT_LEFT)) next = j;
    }
    if (next < 0) continue;
    const int x0 = right(i), x1 = at(next, cv::CC_STAT_LEFT);
    // The outermost rows both pieces share, a row in from each edge (an
    // outline or a gradient's end may differ).
    const int y0 = std::max(top, at(next, cv::CC_STAT_TOP)) + 1, y1 = std::min(bottom(i), bottom(next)) - 2;
    if (y1 <= y0 || !rimFilled(y0, x0, x1) || !rimFilled(y1, x0, x1)) continue;
    parent[size_t(findRoot(parent, next))] = findRoot(parent, i);
  }
  for (int i = 0; i < n; ++i) parent[size_t(i)] = findRoot(parent, i);
  return parent;
}

}  // namespace

int flattenIslands(QImage& grey8, int ground, double em, std::vector<QRect>* controls) {
  cv::Mat g = asMat(grey8);
  // A patch counts when it is clearly darker than the page: a selected row,
  // a default button in the accent colour, a dark header, a badge, a field
  // of a dark theme. Opening cuts it loose from the frames it touches.
  const cv::Mat dark = g < std::max(0, ground - kPatch);
  const int k = std::max(3, int(std::lround(0.35 * em)) | 1);
  cv::Mat body;
  cv::morphologyEx(dark, body, cv::MORPH_OPEN, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(k, k)));
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(body, labels, stats, centroids, 8, CV_32S);
  // A patch must be 1.15 em high (below); its pieces differ by two rows at most.
  const std::vector<int> group = joinSplitPatches(dark, stats, n, 1.15 * em - 2);
  std::vector<cv::Rect> boxes(size_t(std::max(n, 0)));
  std::vector<int> areas(boxes.size(), 0);
  for (int i = 1; i < n; ++i) {
    const cv::Rect own(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                       stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
    const size_t g = size_t(group[size_t(i)]);
    boxes[g] = boxes[g].empty() ? own : (boxes[g] | own);
    areas[g] += stats.at<int>(i, cv::CC_STAT_AREA);
  }
  int flattened = 0;
  for (int i = 1; i < n; ++i) {
    if (group[size_t(i)] != i) continue;
    const cv::Rect box = boxes[size_t(i)];
    const int area = areas[size_t(i)];
    // Tall enough to hold a line of text with some room around it, and mostly
    // filled: a thick glyph is neither.
    if (box.height < 1.15 * em || box.width < 1.5 * em || area < 0.45 * box.area()) continue;
    cv::Mat patch(box.size(), CV_8U);
    for (int y = 0; y < box.height; ++y) {
      const int* label = labels.ptr<int>(box.y + y) + box.x;
      uchar* out = patch.ptr<uchar>(y);
      for (int x = 0; x < box.width; ++x) out[x] = label[x] > 0 && group[size_t(label[x])] == i ? 255 : 0;
    }
    // What the patch encloses, its thin outline and margins included.
    const cv::Mat inside = interior(patch | dark(box));
    const cv::Mat pixels = g(box);
    // The fill, often a gradient: its middle and how far it spreads.
    const int q25 = quantileUnder(pixels, patch, 0.25), fill = quantileUnder(pixels, patch, 0.5),
              q75 = quantileUnder(pixels, patch, 0.75);
    // The text on it, away from its edge (an outline is often darker than the fill).
    cv::Mat core;
    cv::erode(inside, core, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5)), {-1, -1}, 1,
              cv::BORDER_CONSTANT, 0);
    const cv::Mat lighter = core & (pixels > fill + 40);
    const cv::Mat darker = core & (pixels < fill - 40);
    const int light = cv::countNonZero(lighter), heavy = cv::countNonZero(darker);
    // Whichever way round the text was, it becomes as dark as text on the
    // page, from where the fill ends to the text's own level; the fill and
    // whatever lies beyond it on the other side become the page's ground.
    double from, to;
    if (light > heavy) {
      to = std::max(fill + 41, quantileUnder(pixels, lighter, 0.9));
      from = std::min(fill + std::max(8.0, 2.5 * (q75 - fill)), (fill + to) / 2.0);
    } else {
      to = heavy ? std::min(fill - 41, quantileUnder(pixels, darker, 0.1)) : fill - 100;
      from = std::max(fill - std::max(8.0, 2.5 * (fill - q25)), (fill + to) / 2.0);
    }
    for (int y = 0; y < box.height; ++y) {
      uchar* row = g.ptr<uchar>(box.y + y) + box.x;
      const uchar* in = inside.ptr<uchar>(y);
      for (int x = 0; x < box.width; ++x) {
        if (!in[x]) continue;
        const double v = std::clamp((row[x] - from) / (to - from), 0.0, 1.0);
        row[x] = uchar(std::lround(ground - v * (ground - kInkTarget)));
      }
    }
    if (controls) controls->push_back(QRect(box.x, box.y, box.width, box.height));
    ++flattened;
  }
  return flattened;
}

int findFields(const QImage& grey8, int ground, double em, std::vector<QRect>& controls) {
  const cv::Mat g = asMat(grey8);
  // A text field or a drop-down is a flat box of one line's height that is
  // a little lighter than the window (white on grey, or a dark theme's field
  // once inverted) or a little darker (a drop-down's gradient), each found
  // on its own: a field may sit right beside a darker drop-down. Opening cuts
  // the text out of it.
  const int k = std::max(3, int(std::lround(0.35 * em)) | 1);
  const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(k, k));
  int found = 0;
  for (const cv::Mat& fill : {cv::Mat(g > std::min(255, ground + kFieldLift)), cv::Mat(g < ground - kFieldLift - 4)}) {
    cv::Mat body;
    cv::morphologyEx(fill, body, cv::MORPH_OPEN, kernel);
    cv::Mat labels, stats, centroids;
    const int n = cv::connectedComponentsWithStats(body, labels, stats, centroids, 8, CV_32S);
    for (int i = 1; i < n; ++i) {
      const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
      // One line high: a page or a list is no field, and its margins hold bullets.
      if (h < 1.15 * em || h > 3 * em || w < 3 * em || stats.at<int>(i, cv::CC_STAT_AREA) < 0.85 * w * h) continue;
      controls.emplace_back(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), w, h);
      ++found;
    }
  }
  return found;
}

}  // namespace chrome

Cleaned clean(QImage& grey8, int ground) {
  Cleaned out;
  if (grey8.isNull() || grey8.format() != QImage::Format_Grayscale8) return out;
  // The glyphs give a first size, good enough for lines (up to half again
  // too large for Chinese, Japanese and Korean, whose characters stand taller
  // than Latin capitals). Once the frames are gone, the height of the lines
  // of text gives the size itself, whatever the script.
  out.marks = chrome::clearDesktop(grey8, ground);
  double em = chrome::estimateEm(grey8, ground);
  if (em <= 0) return out;
  out.marks += chrome::clearTitleButtons(grey8, em);
  cv::Mat removed = cv::Mat::zeros(grey8.height(), grey8.width(), CV_8U);
  out.lines = chrome::removeLines(grey8, ground, em, removed, nullptr);
  // A line's ink band is about 0.85 em: capitals, ascenders and descenders.
  if (const double lineHeight = measure(grey8).lineHeight; lineHeight > 0) em = std::min(em, lineHeight / 0.85);
  out.islands = chrome::flattenIslands(grey8, ground, em, &out.controls);
  // The outlines of the patches just flattened are lines now, and the
  // frames that touched them can be told apart.
  out.lines += chrome::removeLines(grey8, ground, em, removed, &out.controls);
  chrome::findFields(grey8, ground, em, out.controls);
  out.marks = chrome::removeMarks(grey8, ground, em, out.controls);
  return out;
}

}  // namespace ocr
