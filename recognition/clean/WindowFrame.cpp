// The frame a window manager draws around a window, as a window pick (frame
// included) or a drag started beside the window holds it: the desktop showing
// around the frame, and the window's icon and buttons at the ends of its title
// bar. The title itself stays, and reads as text.
#include <algorithm>
#include <array>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "recognition/clean/ChromeShapes.h"

namespace ocr::chrome {

namespace {

// The level most of a line holds (within `spread` of it), or -1 when less
// than `share` of the line does.
int plainLevel(const cv::Mat& line, double share, int spread) {
  std::array<int, 256> hist{};
  const int n = int(line.total());
  for (int i = 0; i < n; ++i) ++hist[size_t(line.at<uchar>(i))];
  int best = 0, level = -1;
  for (int v = 0; v < 256; ++v) {
    int near = 0;
    for (int d = std::max(0, v - spread); d <= std::min(255, v + spread); ++d) near += hist[size_t(d)];
    if (near > best) best = near, level = v;
  }
  return best >= share * n ? level : -1;
}

// The line `i` lines in from a side of the image: 0 top, 1 bottom, 2 left, 3 right.
cv::Mat lineOf(const cv::Mat& g, int side, int i) {
  switch (side) {
    case 0: return g.row(i).reshape(1, 1);
    case 1: return g.row(g.rows - 1 - i).reshape(1, 1);
    case 2: return g.col(i).t();
    default: return g.col(g.cols - 1 - i).t();
  }
}

// How many lines from a side hold one level, the one `level` (-1: the
// outermost line's), up to `most`.
int plainRun(const cv::Mat& g, int side, int most, int& level) {
  int run = 0;
  for (; run < most; ++run) {
    const int v = plainLevel(lineOf(g, side, run), 0.95, 6);
    if (v < 0 || (level >= 0 && std::abs(v - level) > 12)) break;
    if (level < 0) level = v;
  }
  return run;
}

}  // namespace

int clearDesktop(QImage& grey8, int ground) {
  cv::Mat g = asMat(grey8);
  if (g.rows < 32 || g.cols < 32) return 0;
  // A drag started a few pixels beside a window takes a strip of the desktop
  // with it, one level from end to end. Upright strips as tall as the image
  // are what shows it is the desktop and not the top rows of a bar.
  constexpr int kMost = 16;
  int level = -1;
  std::array<int, 4> runs{};
  for (int side : {2, 3, 0, 1}) runs[size_t(side)] = plainRun(g, side, kMost, level);
  if (level < 0 || std::abs(level - ground) < 25 || (runs[2] == 0 && runs[3] == 0) || (runs[0] == 0 && runs[1] == 0))
    return 0;
  g.rowRange(0, runs[0]).setTo(ground);
  g.rowRange(g.rows - runs[1], g.rows).setTo(ground);
  g.colRange(0, runs[2]).setTo(ground);
  g.colRange(g.cols - runs[3], g.cols).setTo(ground);
  return 1;
}

int clearTitleButtons(QImage& grey8, double em) {
  cv::Mat g = asMat(grey8);
  if (g.rows < 32 || g.cols < 64 || em <= 0) return 0;
  // The bar: rows from the top (below a border of a row or two) each mostly
  // of one level, the levels running on smoothly (a gradient), down to the
  // window's body, which stands clearly apart from it. Its title may be
  // smaller than the window's text (a terminal's).
  std::vector<int> levels;
  int top = 0;
  for (int y = 0; y < std::min(g.rows, int(4 * em) + 3); ++y) {
    const int v = plainLevel(g.row(y), 0.5, 4);
    if (!levels.empty() && v >= 0 && std::abs(v - levels.back()) <= 10) {
      levels.push_back(v);
      continue;
    }
    if (levels.size() >= 3 || y >= 3) break;
    levels.assign(v >= 0 ? 1 : 0, v), top = v >= 0 ? y : y + 1;
  }
  const int bar = int(levels.size());
  if (bar < std::max(12.0, 0.8 * em) || bar > 3.5 * em || top + bar + 3 > g.rows) return 0;
  int body = -1, below = top + bar;
  for (int y = top + bar; y < top + bar + 3 && body < 0; ++y) body = plainLevel(g.row(y), 0.5, 4), below = y;
  if (body < 0 || std::abs(body - levels.back()) < 10) return 0;
  // The body under a title bar spans the window's width, within a frame's
  // border. Where the bar's level goes on down both sides, the strip is a
  // dialog's own ground above a box or field, and its marks are text.
  const uchar* under = g.ptr<uchar>(below);
  int left = 0, right = 0;
  while (left < g.cols && std::abs(under[left] - levels.back()) <= 10) ++left;
  while (right < g.cols && std::abs(under[g.cols - 1 - right] - levels.back()) <= 10) ++right;
  if (std::min(left, right) > 0.4 * em) return 0;

  // Its marks: what stands apart from each row's level.
  cv::Mat marks(bar, g.cols, CV_8U);
  for (int y = 0; y < bar; ++y) {
    const uchar* row = g.ptr<uchar>(top + y);
    uchar* out = marks.ptr<uchar>(y);
    for (int x = 0; x < g.cols; ++x) out[x] = std::abs(row[x] - levels[size_t(y)]) > 30 ? 255 : 0;
  }
  // Upright runs of marks, left to right: a glyph, a button, the icon.
  std::vector<cv::Rect> shapes;
  cv::Mat cover;
  cv::reduce(marks, cover, 0, cv::REDUCE_MAX);
  for (int x = 0; x < g.cols;) {
    if (!cover.at<uchar>(x)) {
      ++x;
      continue;
    }
    const int x0 = x;
    while (x < g.cols && cover.at<uchar>(x)) ++x;
    const cv::Rect r = cv::boundingRect(marks.colRange(x0, x));
    shapes.emplace_back(x0 + r.x, r.y, r.width, r.height);
  }
  // From either end inwards, while they stand apart from the next one and no
  // wider than a button: the frame's edge, the icon, the buttons. A title's
  // letters stand closer together, and a title is never at an end.
  const double apart = std::max(2.0, 0.1 * bar);
  std::vector<bool> clear(shapes.size(), false);
  // The gap between two shapes, the first nearer the end walked from.
  struct Gap {
    bool fromLeft;
    double operator()(const cv::Rect& a, const cv::Rect& b) const {
      return fromLeft ? b.x - (a.x + a.width) : a.x - (b.x + b.width);
    }
  };
  int count = 0;
  for (const bool fromLeft : {true, false}) {
    const Gap gap{fromLeft};
    std::vector<size_t> order(shapes.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = fromLeft ? i : order.size() - 1 - i;
    double reach = fromLeft ? 0 : g.cols;
    for (size_t k = 0; k < order.size(); ++k) {
      const cv::Rect& s = shapes[order[k]];
      const double away = fromLeft ? s.x - reach : reach - (s.x + s.width);
      if (away > 1.5 * bar || s.width > 1.2 * bar) break;
      if (k + 1 < order.size() && gap(s, shapes[order[k + 1]]) < apart) break;
      clear[order[k]] = true;
      reach = fromLeft ? s.x + s.width : s.x;
    }
  }
  for (size_t i = 0; i < shapes.size(); ++i) {
    if (!clear[i]) continue;
    for (int y = 0; y < bar; ++y) g.row(top + y).colRange(shapes[i].x, shapes[i].x + shapes[i].width).setTo(levels[size_t(y)]);
    ++count;
  }
  return count;
}

}  // namespace ocr::chrome
