#include "recognition/codes/FinderPatterns.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace Recognizer {

namespace {

// Up to this many patterns (about eight codes) the image is read whole.
constexpr size_t kReadWholeUpTo = 24;

// Whether `dark` holds more than one mark or hole in 32 pixels: a 4K screen
// of salt-and-pepper noise has one in 25 (or one in 23, all holes, where its
// ground comes out dark); a page of 12 px text one in 85, a sheet of QR
// codes one in 700. Counted in strips, so that the labels of an 8K screen
// are never held at once (a mark cut by a strip counts twice).
bool speckled(const cv::Mat& dark) {
  constexpr int kStrip = 512;
  double count = 0;
  cv::Mat labels, light;
  for (int top = 0; top < dark.rows; top += kStrip) {
    const cv::Mat strip = dark.rowRange(top, std::min(dark.rows, top + kStrip));
    count += cv::connectedComponents(strip, labels, 8, CV_32S) - 1;
    cv::bitwise_not(strip, light);
    count += cv::connectedComponents(light, labels, 4, CV_32S) - 1;
  }
  return count * 32 > double(dark.total());
}

// No outer ring of a pattern is smaller than this on either side: its
// centre is at least 7 pixels, with a row or column of hole and one of ring
// on each side (squareish() and the ratio below ask at least that).
constexpr int kSmallestRing = 11;

// The boxes of the 8-connected dark components at least kSmallestRing on
// both sides, traced run by run without a label map: a page of text has
// tens of thousands of marks, nearly all smaller.
std::vector<cv::Rect> largeMarks(const cv::Mat& dark) {
  struct Run {
    int x0, x1, mark;
  };
  struct Box {
    int x0, y0, x1, y1;  // inclusive
  };
  std::vector<int> parent;
  std::vector<Box> box;  // valid for the roots
  auto root = [&](int m) {
    while (parent[size_t(m)] != m) m = parent[size_t(m)] = parent[size_t(parent[size_t(m)])];
    return m;
  };
  auto join = [&](int a, int b) {
    a = root(a), b = root(b);
    if (a == b) return a;
    if (b < a) std::swap(a, b);
    parent[size_t(b)] = a;
    Box& r = box[size_t(a)];
    const Box& o = box[size_t(b)];
    r = {std::min(r.x0, o.x0), std::min(r.y0, o.y0), std::max(r.x1, o.x1), std::max(r.y1, o.y1)};
    return a;
  };
  std::vector<Run> above, here;
  for (int y = 0; y < dark.rows; ++y) {
    const uchar* row = dark.ptr<uchar>(y);
    here.clear();
    size_t from = 0;  // the first run above that may touch the next run here
    for (int x = 0; x < dark.cols;) {
      if (!row[x]) {
        ++x;
        continue;
      }
      const int x0 = x;
      while (x < dark.cols && row[x]) ++x;
      const int x1 = x - 1;
      int mark = -1;
      while (from < above.size() && above[from].x1 < x0 - 1) ++from;
      for (size_t i = from; i < above.size() && above[i].x0 <= x1 + 1; ++i)
        mark = mark < 0 ? root(above[i].mark) : join(mark, above[i].mark);
      if (mark < 0) {
        mark = int(parent.size());
        parent.push_back(mark);
        box.push_back({x0, y, x1, y});
      } else {
        Box& r = box[size_t(mark)];
        r.x0 = std::min(r.x0, x0), r.x1 = std::max(r.x1, x1), r.y1 = y;
      }
      here.push_back({x0, x1, mark});
    }
    std::swap(above, here);
  }
  std::vector<cv::Rect> out;
  for (size_t m = 0; m < parent.size(); ++m) {
    const Box& b = box[m];
    if (parent[m] == int(m) && b.x1 - b.x0 + 1 >= kSmallestRing && b.y1 - b.y0 + 1 >= kSmallestRing)
      out.emplace_back(b.x0, b.y0, b.x1 - b.x0 + 1, b.y1 - b.y0 + 1);
  }
  return out;
}

// Clears every dark pixel outside the given boxes.
void keepOnly(cv::Mat& dark, std::vector<cv::Rect> boxes) {
  std::sort(boxes.begin(), boxes.end(), [](const cv::Rect& a, const cv::Rect& b) { return a.y < b.y; });
  std::vector<uchar> covered(size_t(dark.cols));
  std::vector<cv::Rect> open;
  size_t next = 0;
  for (int y = 0; y < dark.rows; ++y) {
    while (next < boxes.size() && boxes[next].y <= y) open.push_back(boxes[next++]);
    std::erase_if(open, [y](const cv::Rect& r) { return r.y + r.height <= y; });
    std::fill(covered.begin(), covered.end(), uchar(0));
    for (const cv::Rect& r : open) std::fill_n(covered.begin() + r.x, r.width, uchar(255));
    uchar* row = dark.ptr<uchar>(y);
    for (int x = 0; x < dark.cols; ++x) row[x] &= covered[size_t(x)];
  }
}

bool squareish(const cv::Rect& r) {
  return r.width >= 7 && r.height >= 7 && r.width * 4 <= r.height * 5 && r.height * 4 <= r.width * 5;
}

double distance(const cv::Rect& a, const cv::Rect& b) {
  const double dx = (a.x + a.width / 2.0) - (b.x + b.width / 2.0), dy = (a.y + a.height / 2.0) - (b.y + b.height / 2.0);
  return std::hypot(dx, dy);
}

template <typename T>
T median(std::vector<T> v) {
  std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
  return v[v.size() / 2];
}

}  // namespace

std::vector<cv::Rect> finderPatterns(const cv::Mat& grey) {
  std::vector<cv::Rect> out;
  if (grey.empty() || grey.type() != CV_8UC1) return out;
  cv::Mat dark;
  cv::threshold(grey, dark, 0, 255, cv::THRESH_BINARY_INV | cv::THRESH_OTSU);
  // Specks by the hundred thousand (salt-and-pepper noise) are no codes,
  // and tracing them into a tree of contours took a minute on a 4K screen:
  // no pattern is looked for there, and the image is read whole.
  if (speckled(dark)) return out;
  // A pattern's ring is a large mark, and all that decides whether it counts
  // (its holes, what they hold) lies inside its box: everything outside the
  // boxes of the large marks is cleared before the contours are traced, and
  // a page of text without any is done here.
  const std::vector<cv::Rect> large = largeMarks(dark);
  if (large.empty()) return out;
  keepOnly(dark, large);
  std::vector<std::vector<cv::Point>> contours;
  std::vector<cv::Vec4i> tree;  // next, previous, first child, parent
  cv::findContours(dark, contours, tree, cv::RETR_TREE, cv::CHAIN_APPROX_SIMPLE);
  for (size_t i = 0; i < contours.size(); ++i) {
    // A ring: an outer dark contour whose one hole holds one dark centre.
    const int hole = tree[i][2];
    if (hole < 0 || tree[size_t(hole)][0] >= 0) continue;
    const int centre = tree[size_t(hole)][2];
    if (centre < 0 || tree[size_t(centre)][0] >= 0 || tree[size_t(centre)][2] >= 0) continue;
    const cv::Rect outer = cv::boundingRect(contours[i]), inner = cv::boundingRect(contours[size_t(centre)]);
    if (!squareish(outer) || !squareish(inner)) continue;
    // 7 modules across against 3, the centre in the middle.
    const double ratio = double(outer.width) / std::max(1, inner.width);
    if (ratio < 1.8 || ratio > 3.5) continue;
    if (distance(outer, inner) > 0.15 * outer.width) continue;
    out.push_back(outer);
  }
  return out;
}

std::vector<cv::Rect> codeCells(const cv::Size& image, const std::vector<cv::Rect>& patterns) {
  if (patterns.size() <= kReadWholeUpTo) return {};
  // A code's side is about the distance from one of its patterns to the
  // second nearest (its two partners lie beside it and below it), plus a
  // pattern's side; a cell three codes wide, stepped by two, holds every
  // code of that size whole in one of the cells.
  std::vector<double> seconds, sides;
  for (const cv::Rect& a : patterns) {
    double first = 1e18, second = 1e18;
    for (const cv::Rect& b : patterns) {
      if (&a == &b) continue;
      const double d = distance(a, b);
      if (d < first) {
        second = first, first = d;
      } else if (d < second) {
        second = d;
      }
    }
    seconds.push_back(second);
    sides.push_back(a.width);
  }
  const double code = median(seconds) + median(sides);
  const int step = std::max(16, int(std::lround(2 * code)));
  const int side = std::max(16, int(std::lround(3 * code)));
  std::vector<cv::Rect> cells;
  const cv::Rect whole(0, 0, image.width, image.height);
  for (int y = 0; y < image.height; y += step) {
    for (int x = 0; x < image.width; x += step) {
      cells.push_back(cv::Rect(x, y, side, side) & whole);
      if (x + side >= image.width) break;
    }
    if (y + side >= image.height) break;
  }
  return cells;
}

}  // namespace Recognizer
