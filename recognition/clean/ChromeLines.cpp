// Straight lines of the widgets' chrome: frames of fields, buttons and group
// boxes, separators, the edges of scroll bars and table grids.
#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "recognition/clean/ChromeShapes.h"
#include "recognition/clean/ScreenClean.h"

namespace ocr::chrome {

cv::Mat interior(const cv::Mat& shape) {
  // Flood the outside from a one-pixel border around the box.
  cv::Mat outside;
  cv::copyMakeBorder(shape, outside, 1, 1, 1, 1, cv::BORDER_CONSTANT, 0);
  cv::floodFill(outside, cv::Point(0, 0), 128);
  return outside(cv::Rect(1, 1, shape.cols, shape.rows)) != 128;
}

void paint(cv::Mat& g, const cv::Mat& mask, int ground) { g.setTo(ground, mask); }

namespace {

// Greys this close are one surface.
constexpr int kSameGrey = 8;

struct Found {
  cv::Mat mask;  // the lines' pixels
  int count = 0;
};

// True when more than half of the pixels two steps beside `r` (above or
// below a horizontal run, left or right of an upright one) are ink.
bool inkBeside(const cv::Mat& ink, const cv::Rect& r, bool horizontal, int side) {
  const cv::Rect strip = horizontal ? cv::Rect(r.x, side < 0 ? r.y - 2 : r.y + r.height + 1, r.width, 1)
                                    : cv::Rect(side < 0 ? r.x - 2 : r.x + r.width + 1, r.y, 1, r.height);
  const cv::Rect inside = strip & cv::Rect(0, 0, ink.cols, ink.rows);
  if (inside.area() == 0) return false;
  return 2 * cv::countNonZero(ink(inside)) > strip.area();
}

// How many places along `r` have ink right next to it, on either side.
int touched(const cv::Mat& ink, const cv::Rect& r, bool horizontal) {
  const int length = horizontal ? r.width : r.height;
  int count = 0;
  for (int i = 0; i < length; ++i) {
    const cv::Point before = horizontal ? cv::Point(r.x + i, r.y - 1) : cv::Point(r.x - 1, r.y + i);
    const cv::Point after = horizontal ? cv::Point(r.x + i, r.y + r.height) : cv::Point(r.x + r.width, r.y + i);
    bool hit = false;
    for (const cv::Point& p : {before, after})
      hit = hit || (p.x >= 0 && p.y >= 0 && p.x < ink.cols && p.y < ink.rows && ink.at<uchar>(p) != 0);
    count += hit;
  }
  return count;
}

// The median grey of `g` in `r` (clipped to the image); -1 when nothing is left.
int medianIn(const cv::Mat& g, const cv::Rect& r) {
  const cv::Rect in = r & cv::Rect(0, 0, g.cols, g.rows);
  if (in.area() == 0) return -1;
  std::vector<int> levels;
  levels.reserve(size_t(in.area()));
  for (int y = in.y; y < in.y + in.height; ++y)
    for (int x = in.x; x < in.x + in.width; ++x) levels.push_back(g.at<uchar>(y, x));
  std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
  return levels[levels.size() / 2];
}

// Whether the run `r` is the rim of a darker block rather than a line: as
// dark as what lies two steps beyond it on one side. Beside a lighter line
// (a table header's lower edge in a dark theme, turned) the block's own
// last rows count as ink; painted over, they took the lower halves of the
// header's letters along (the ring of a Hangul "ㅇ").
bool rimOfBlock(const cv::Mat& g, const cv::Rect& r, bool horizontal) {
  const int run = medianIn(g, r);
  for (int side : {-1, +1}) {
    const cv::Rect strip = horizontal ? cv::Rect(r.x, side < 0 ? r.y - 2 : r.y + r.height + 1, r.width, 1)
                                      : cv::Rect(side < 0 ? r.x - 2 : r.x + r.width + 1, r.y, 1, r.height);
    const int beyond = medianIn(g, strip);
    if (beyond >= 0 && beyond <= run + kSameGrey) return true;
  }
  return false;
}

// Runs of `ink` at least `length` long along one axis and at most `thick`
// across it, with no more than half `dark` on at least one side.
Found straight(const cv::Mat& g, const cv::Mat& ink, const cv::Mat& dark, int length, int thick, bool horizontal) {
  Found out;
  cv::Mat runs;
  const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_RECT, horizontal ? cv::Size(length, 1) : cv::Size(1, length));
  cv::morphologyEx(ink, runs, cv::MORPH_OPEN, kernel);
  out.mask = cv::Mat::zeros(ink.size(), CV_8U);
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(runs, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i) {
    const cv::Rect r(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
                     stats.at<int>(i, cv::CC_STAT_HEIGHT));
    if ((horizontal ? r.height : r.width) > thick) continue;  // a filled bar or a block of ink, not a line
    // A line lies on the ground on at least one side; a thin strip of a dark
    // block left between its light letters has ink on both.
    if (inkBeside(dark, r, horizontal, -1) && inkBeside(dark, r, horizontal, +1)) continue;
    if (rimOfBlock(g, r, horizontal)) continue;
    // Nor does anything grow out of a line along its length, as letters grow
    // out of the baseline that joins an Arabic word.
    if (touched(ink, r, horizontal) > 0.2 * (horizontal ? r.width : r.height)) continue;
    out.mask.setTo(255, labels == i);
    ++out.count;
  }
  return out;
}

}  // namespace

int removeLines(QImage& grey8, int ground, double em, cv::Mat& removed, std::vector<QRect>* controls) {
  cv::Mat g = asMat(grey8);
  // Frames are often faint: a grey a little darker than the window. And a
  // line is darker than what lies just beside it, where the flat fill of a
  // button or a field a little darker than the window is not.
  const int thick = std::max(2, int(std::lround(0.2 * em)));
  cv::Mat beside;
  cv::dilate(g, beside, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * thick + 3, 2 * thick + 3)));
  const cv::Mat dark = g < std::max(0, ground - 20);
  const cv::Mat ink = dark & (g + 20 < beside);
  // No glyph runs this far in a straight line: the longest strokes, a dash or
  // the bar of a Chinese character, are about one em.
  const Found across = straight(g, ink, dark, std::max(12, int(std::lround(2.5 * em))), thick, true);
  const Found upright = straight(g, ink, dark, std::max(8, int(std::lround(1.0 * em))), thick, false);

  // An upright run is chrome when it is longer than any glyph ("|", brackets
  // and parentheses reach about 1.3 em), or when both its ends meet other
  // lines: the side of a box, between its top and its bottom (painted over
  // already, perhaps). A bar in code stands alone, and a tall letter in a
  // field comes close to the frame at one end only.
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(upright.mask, labels, stats, centroids, 8, CV_32S);
  cv::Mat lines = across.mask.clone();
  std::vector<int> shorter;
  int count = across.count;
  for (int i = 1; i < n; ++i) {
    if (stats.at<int>(i, cv::CC_STAT_HEIGHT) < 2.4 * em) {
      shorter.push_back(i);
      continue;
    }
    lines.setTo(255, labels == i);
    ++count;
  }
  const int reach = std::max(4, int(std::lround(0.3 * em)));
  const cv::Mat square = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * reach + 1, 2 * reach + 1));
  cv::Mat near;
  cv::dilate(lines | removed, near, square);
  for (int i : shorter) {
    const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
    const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
    if (cv::countNonZero(near(cv::Rect(x, y, w, 1))) == 0 || cv::countNonZero(near(cv::Rect(x, y + h - 1, w, 1))) == 0) continue;
    lines.setTo(255, labels == i);
    ++count;
  }
  removed |= lines;

  if (controls) {
    // A box is the bounding rectangle of lines that touch: a field, a button,
    // a group box, a scroll bar. Grown on a border of `reach`: grown within
    // the image, a window's frame on its edge gave a box `reach` inside it,
    // and the dots of the letters beside the frame ("ii" of a listing)
    // were taken for small marks at the box's end.
    cv::Mat joined;
    cv::copyMakeBorder(removed, joined, reach, reach, reach, reach, cv::BORDER_CONSTANT, 0);
    cv::dilate(joined, joined, square);
    const int m = cv::connectedComponentsWithStats(joined, labels, stats, centroids, 8, CV_32S);
    for (int i = 1; i < m; ++i) {
      const QRect r(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                    stats.at<int>(i, cv::CC_STAT_WIDTH) - 2 * reach, stats.at<int>(i, cv::CC_STAT_HEIGHT) - 2 * reach);
      if (r.width() >= 0.9 * em && r.height() >= 0.9 * em) controls->push_back(r);
    }
  }
  if (count == 0) return 0;
  // With the anti-aliased fringe, but only where it is darker than the ground.
  cv::Mat fringe;
  cv::dilate(lines, fringe, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
  paint(g, fringe & (g < ground), ground);
  return count;
}

}  // namespace ocr::chrome
