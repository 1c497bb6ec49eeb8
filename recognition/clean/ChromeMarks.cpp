// Small marks of the widgets: the box of a check box and the ring of a radio
// button beside their labels, and the arrows at the end of drop-downs, spin
// boxes and scroll bars.
#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "recognition/clean/ChromeShapes.h"
#include "recognition/clean/ScreenClean.h"

namespace ocr::chrome {

namespace {

// How far from the ground a mark's pixels are: rings are drawn thin and
// anti-aliased, a low threshold keeps them whole.
constexpr int kMarkContrast = 24;
// A dark theme's check boxes and radio buttons are filled squares and discs
// only a dozen levels lighter than the window.
constexpr int kLightFill = 8;

struct Blob {
  cv::Rect box;
  int area;
};

std::vector<Blob> blobs(const cv::Mat& ink, cv::Mat& labels) {
  cv::Mat stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  std::vector<Blob> out;
  for (int i = 1; i < n; ++i)
    out.push_back({{stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), stats.at<int>(i, cv::CC_STAT_WIDTH),
                    stats.at<int>(i, cv::CC_STAT_HEIGHT)},
                   stats.at<int>(i, cv::CC_STAT_AREA)});
  return out;
}

// A check box or a radio button, empty or ticked: a hollow square or circle
// whose ink hugs the edges of its box, or a square or disc filled with one
// flat colour (a dark theme's, or a ticked one in the accent colour).
// `own`, when given, holds the shape's own pixels (its holes, a tick or a
// dot, left out of the flatness).
bool indicator(const cv::Mat& g, const cv::Mat& labels, int label, const Blob& b, const cv::Mat* own) {
  const int s = std::max(b.box.width, b.box.height);
  if (std::abs(b.box.width - b.box.height) > 0.2 * s) return false;
  std::vector<int> levels;
  const int band = std::max(1, s / 4);
  int onEdge = 0, inMiddle = 0;
  for (int y = 0; y < b.box.height; ++y) {
    const int* row = labels.ptr<int>(b.box.y + y) + b.box.x;
    const uchar* grey = g.ptr<uchar>(b.box.y + y) + b.box.x;
    for (int x = 0; x < b.box.width; ++x) {
      if (row[x] != label) continue;
      if (!own || own->at<uchar>(b.box.y + y, b.box.x + x)) levels.push_back(grey[x]);
      if (x < band || y < band || x >= b.box.width - band || y >= b.box.height - band) ++onEdge;
      else ++inMiddle;
    }
  }
  // A disc fills 0.785 of its box, less where its anti-aliased rim stays
  // out of the shape: a dark theme's chosen radio button, 14 px, 0.72 (read
  // with its label as "° BA" where "直向" stood).
  if (b.area >= 0.68 * b.box.area()) {
    // Flat, where a dense character's strokes and their edges spread over
    // every grey.
    std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
    const int middle = levels[levels.size() / 2];
    const auto flat = std::count_if(levels.begin(), levels.end(), [&](int v) { return std::abs(v - middle) <= 12; });
    return flat >= 0.7 * double(levels.size());
  }
  // Its middle is empty: a tick or a dot inside is a shape of its own, while
  // a letter as small as a box ("ф", "м") has strokes through it.
  return b.area <= 0.6 * b.box.area() && onEdge >= 0.85 * b.area && inMiddle == 0;
}

// The grey inside a ring: the median of what is neither the ring nor a mark
// in it (a tick, a dot); 0 when nothing is left.
int insideLevel(const cv::Mat& g, const cv::Mat& ink, const cv::Rect& box) {
  std::vector<int> levels;
  for (int y = box.y + 1; y < box.y + box.height - 1; ++y)
    for (int x = box.x + 1; x < box.x + box.width - 1; ++x)
      if (!ink.at<uchar>(y, x)) levels.push_back(g.at<uchar>(y, x));
  if (levels.empty()) return 0;
  std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
  return levels[levels.size() / 2];
}

// The grey around a box, `gap` pixels out from it: the median of what is
// not ink in a band two pixels wide; 0 when nothing is left.
int aroundLevel(const cv::Mat& g, const cv::Mat& ink, const cv::Rect& box, int gap) {
  const cv::Rect inner(box.x - gap, box.y - gap, box.width + 2 * gap, box.height + 2 * gap);
  const cv::Rect outer = cv::Rect(inner.x - 2, inner.y - 2, inner.width + 4, inner.height + 4) & cv::Rect(0, 0, g.cols, g.rows);
  std::vector<int> levels;
  for (int y = outer.y; y < outer.y + outer.height; ++y)
    for (int x = outer.x; x < outer.x + outer.width; ++x)
      if (!inner.contains({x, y}) && !ink.at<uchar>(y, x)) levels.push_back(g.at<uchar>(y, x));
  if (levels.empty()) return 0;
  std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
  return levels[levels.size() / 2];
}

// The median grey of the pixels of `mask` in `box`.
int medianUnder(const cv::Mat& g, const cv::Mat& mask, const cv::Rect& box) {
  std::vector<int> levels;
  for (int y = box.y; y < box.y + box.height; ++y)
    for (int x = box.x; x < box.x + box.width; ++x)
      if (mask.at<uchar>(y, x)) levels.push_back(g.at<uchar>(y, x));
  if (levels.empty()) return 0;
  std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
  return levels[levels.size() / 2];
}

bool overlapsVertically(const cv::Rect& a, const cv::Rect& b, double share) {
  const int top = std::max(a.y, b.y), bottom = std::min(a.y + a.height, b.y + b.height);
  return bottom - top >= share * std::min(a.height, b.height);
}

// The label beside a mark: glyphs starting within `gapMax` to its right or
// left. Gives the tallest glyph of the nearer side; 0 when there is none, or
// when a glyph stands closer than `gapMin` on either side.
int labelHeight(const std::vector<Blob>& all, const Blob& mark, double gapMin, double gapMax, double span) {
  int best = 0;
  double bestGap = 1e9;
  for (int side : {+1, -1}) {
    double nearest = 1e9;
    int tallest = 0;
    for (const Blob& b : all) {
      if (!overlapsVertically(b.box, mark.box, 0.3) || (b.box & mark.box).area() > 0) continue;
      const double gap = side > 0 ? b.box.x - (mark.box.x + mark.box.width) : mark.box.x - (b.box.x + b.box.width);
      if (gap < 0 || gap > gapMax + span) continue;
      nearest = std::min(nearest, gap);
      tallest = std::max(tallest, b.box.height);
    }
    // Something closer than a box ever stands to its label: the mark is a
    // letter of a word ("О" in "Они").
    if (nearest < gapMin) return 0;
    if (nearest <= gapMax && nearest < bestGap) bestGap = nearest, best = tallest;
  }
  return best;
}

}  // namespace

int removeMarks(QImage& grey8, int ground, double em, const std::vector<QRect>& controls) {
  cv::Mat g = asMat(grey8);
  cv::Mat ink;
  cv::absdiff(g, cv::Scalar(ground), ink);
  ink = ink > kMarkContrast;  // lighter shapes count too
  cv::Mat labels;
  const std::vector<Blob> all = blobs(ink, labels);
  cv::Mat erase = cv::Mat::zeros(g.size(), CV_8U);
  int count = 0;

  // Check boxes and radio buttons: a ring or a filled square taller than the
  // letters of the label that follows it after a gap. A round or square
  // letter ("O") is no taller than its neighbours and sits close to them;
  // other glyphs are neither rings nor filled.
  auto boxes = [&](const std::vector<Blob>& shapes, const cv::Mat& shapeLabels, const cv::Mat* own) {
    for (size_t i = 0; i < shapes.size(); ++i) {
      const Blob& b = shapes[i];
      const int s = std::max(b.box.width, b.box.height);
      if (s < 0.7 * em || s > 3.5 * em || !indicator(g, shapeLabels, int(i) + 1, b, own)) continue;
      // A framed square larger than any letter: a tool button, with its icon.
      if (s >= 1.3 * em && b.area < 0.6 * b.box.area()) {
        erase(b.box).setTo(255);
        ++count;
        continue;
      }
      if (s > 1.8 * em) continue;
      // A lighter shape stands lighter than what lies beyond its frame: the
      // inside of an "O" on a white page has the page around the letter.
      if (own && medianUnder(g, *own, b.box) < aroundLevel(g, ink, b.box, std::max(3, int(0.4 * s))) + 6) continue;
      const int label = labelHeight(all, b, 0.15 * em, 1.5 * em, 3 * em);
      // Beside Chinese, Japanese or Korean labels a box is about as tall as
      // the characters: a ring of a full line's height whose inside is
      // lighter than the window is still a box ("口", "ロ" and "O" are smaller,
      // and the window shows through them). The line's height is measured
      // on the ink bands, which a CJK face makes taller than its characters:
      // a 14 px box beside 14 px labels in a 16.5 px band is one (it was read
      // as "Vv", "O", "‧").
      const bool hollow = b.area < 0.6 * b.box.area();
      // Lit against what stands around it, too: a round letter on a
      // lighter field or page ("o" of "Copies:") has that field inside and out.
      const bool lit = hollow && insideLevel(g, ink, b.box) >= std::max(ground, aroundLevel(g, ink, b.box, std::max(2, s / 4))) + 6;
      // Text is never lighter than the window: a flat lighter square or disc
      // beside a label is a box whatever the label's size.
      if (label == 0 || (!own && s < 1.12 * label && !(lit && s >= 0.8 * em && s >= label))) continue;
      erase(b.box).setTo(255);
      ++count;
    }
  };
  boxes(all, labels, nullptr);
  // Icons beside the names of a list or a sidebar (a folder): shapes of
  // about a line's height, as wide as high, with a body of flat fill that a
  // glyph's strokes (three pixels at most at these sizes) never have. The
  // engine read them as ")" or "P)".
  const cv::Mat body = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(5, 5));
  for (const Blob& b : all) {
    const int w = b.box.width, h = b.box.height;
    if (h < 0.8 * em || h > 2.5 * em || w < 0.6 * h || w > 1.6 * h || b.area < 0.5 * b.box.area()) continue;
    cv::Mat core;
    cv::erode(ink(b.box), core, body, {-1, -1}, 1, cv::BORDER_CONSTANT, 0);
    const int inCore = cv::countNonZero(core);
    if (inCore < 0.25 * b.box.area()) continue;
    // Flat: a dense character ("書") has a body too at twice the size, of
    // dark strokes and the grey between them.
    std::vector<int> levels;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (core.at<uchar>(y, x)) levels.push_back(g.at<uchar>(b.box.y + y, b.box.x + x));
    std::nth_element(levels.begin(), levels.begin() + std::ptrdiff_t(levels.size() / 2), levels.end());
    const int middle = levels[levels.size() / 2];
    if (std::count_if(levels.begin(), levels.end(), [&](int v) { return std::abs(v - middle) <= 16; }) < 0.8 * inCore)
      continue;
    erase(b.box).setTo(255);
    ++count;
  }
  // Four bytes a pixel: on an 8K screen as much as the screen itself.
  labels.release();
  // Lighter squares and discs with what they hold (a tick, a dot, perhaps
  // touching the edge): their area counts the marks in them.
  const cv::Mat lighter = g > std::min(255, ground + kLightFill);
  cv::Mat lightLabels;
  std::vector<Blob> lit = blobs(lighter, lightLabels);
  for (Blob& b : lit) b.area = cv::countNonZero(lighter(b.box) | ink(b.box));
  boxes(lit, lightLabels, &lighter);

  // Arrows at an end of a field or a bar: marks well below letter height,
  // apart from everything else inside the box, close to one of its ends.
  for (const QRect& c : controls) {
    const cv::Rect box(c.x() + 1, c.y() + 1, c.width() - 2, c.height() - 2);
    if (box.width <= 0 || box.height <= 0) continue;
    const bool across = box.width >= box.height;
    const int shortSide = across ? box.height : box.width;
    // A glyph that reaches out of the box (a label's letter that a tab or a
    // header cuts across) is not an arrow, and neither is what lies close to
    // it: the ring of a Hangul "ㅇ" beside the rest of its syllable.
    std::vector<cv::Rect> inside;
    for (const Blob& b : all) {
      const cv::Rect common = b.box & box;
      if (common.area() > 0 && common != box) inside.push_back(b.box);
    }
    // Clusters of marks that lie close together (the two arrows of a spin
    // box). A mark close to two clusters joins them: the dots above the last
    // letters of an Arabic word on a button and the letters below them are
    // one cluster with the rest of the word, not small marks at its end.
    std::vector<cv::Rect> clusters;
    for (const cv::Rect& r : inside) {
      const cv::Rect grown(r.x - int(0.3 * em), r.y - int(0.3 * em), r.width + int(0.6 * em), r.height + int(0.6 * em));
      cv::Rect joined = r;
      for (auto k = clusters.begin(); k != clusters.end();)
        if ((*k & grown).area() > 0) joined |= *k, k = clusters.erase(k);
        else ++k;
      clusters.push_back(joined);
    }
    for (const cv::Rect& k : clusters) {
      const int nearEnd = across ? std::min(k.x - box.x, box.x + box.width - k.x - k.width)
                                 : std::min(k.y - box.y, box.y + box.height - k.y - k.height);
      if (nearEnd > std::min(1.1 * shortSide, 2.0 * em) || (k & box) != k) continue;
      bool small = true;
      for (const cv::Rect& r : inside)
        if ((r & k) == r && (r.height > 0.45 * em || r.width > 1.2 * em)) small = false;
      if (!small) continue;
      erase(k).setTo(255);
      ++count;
    }
  }
  if (count) paint(g, erase, ground);
  return count;
}

}  // namespace ocr::chrome
