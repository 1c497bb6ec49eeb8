// Straight lines of the widgets' chrome: frames of fields, buttons and group
// boxes, separators, the edges of scroll bars and table grids.
#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "recognition/ChromeShapes.h"
#include "recognition/ScreenClean.h"

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

struct Found {
  cv::Mat mask;  // the lines' pixels
  int count = 0;
};

// Runs at least `length` long along one axis and at most `thick` across it.
Found straight(const cv::Mat& ink, int length, int thick, bool horizontal) {
  Found out;
  cv::Mat runs;
  const cv::Mat kernel = cv::getStructuringElement(cv::MORPH_RECT, horizontal ? cv::Size(length, 1) : cv::Size(1, length));
  cv::morphologyEx(ink, runs, cv::MORPH_OPEN, kernel);
  out.mask = cv::Mat::zeros(ink.size(), CV_8U);
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(runs, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i) {
    const int across = horizontal ? stats.at<int>(i, cv::CC_STAT_HEIGHT) : stats.at<int>(i, cv::CC_STAT_WIDTH);
    if (across > thick) continue;  // a filled bar or a block of ink, not a line
    out.mask.setTo(255, labels == i);
    ++out.count;
  }
  return out;
}

}  // namespace

int removeLines(QImage& grey8, int ground, double em, std::vector<QRect>* controls) {
  cv::Mat g = asMat(grey8);
  // Frames are often faint: a grey a little darker than the window.
  const cv::Mat ink = g < std::max(0, ground - 20);
  const int thick = std::max(2, int(std::lround(0.2 * em)));
  // No glyph runs this far in a straight line: the longest strokes, a dash or
  // the bar of a Chinese character, are about one em.
  const Found across = straight(ink, std::max(12, int(std::lround(2.5 * em))), thick, true);
  const Found upright = straight(ink, std::max(8, int(std::lround(1.0 * em))), thick, false);

  // An upright run is chrome when it is longer than any glyph ("|", brackets
  // and parentheses reach about 1.3 em), or when it meets a horizontal line at
  // its end: the side of a box. A bar in code stands alone.
  cv::Mat near;
  const int reach = std::max(4, int(std::lround(0.3 * em)));
  cv::dilate(across.mask, near, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * reach + 1, 2 * reach + 1)));
  cv::Mat sides = cv::Mat::zeros(g.size(), CV_8U);
  int count = across.count;
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(upright.mask, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i) {
    const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
    const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), h = stats.at<int>(i, cv::CC_STAT_HEIGHT);
    const bool tall = h >= 2.4 * em;
    const bool meets = cv::countNonZero(near(cv::Rect(x, y, w, 1))) > 0 || cv::countNonZero(near(cv::Rect(x, y + h - 1, w, 1))) > 0;
    if (!tall && !meets) continue;
    sides.setTo(255, labels == i);
    ++count;
  }
  if (count == 0) return 0;

  cv::Mat lines = across.mask | sides;
  if (controls) {
    // A box is the bounding rectangle of lines that touch: a field, a button,
    // a group box, a scroll bar.
    cv::Mat joined;
    cv::dilate(lines, joined, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * reach + 1, 2 * reach + 1)));
    const int m = cv::connectedComponentsWithStats(joined, labels, stats, centroids, 8, CV_32S);
    for (int i = 1; i < m; ++i) {
      const QRect r(stats.at<int>(i, cv::CC_STAT_LEFT) + reach, stats.at<int>(i, cv::CC_STAT_TOP) + reach,
                    stats.at<int>(i, cv::CC_STAT_WIDTH) - 2 * reach, stats.at<int>(i, cv::CC_STAT_HEIGHT) - 2 * reach);
      if (r.width() >= 0.9 * em && r.height() >= 0.9 * em) controls->push_back(r);
    }
  }
  // With the anti-aliased fringe, but only where it is darker than the ground.
  cv::Mat fringe;
  cv::dilate(lines, fringe, cv::getStructuringElement(cv::MORPH_RECT, cv::Size(3, 3)));
  paint(g, fringe & (g < ground), ground);
  return count;
}

}  // namespace ocr::chrome
