#include "recognition/lines/ButtonLabels.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "recognition/clean/Prepare.h"

namespace ocr {

namespace {

// How far a button's sides may stand from its label, in line heights: a
// wide key ("sqrt"), a tall one ("=" across two rows), a dialog's 80-pixel "OK".
constexpr double kReachX = 6;
constexpr double kReachY = 4;
// A label's ink is no taller than a line's, nor longer than a few signs.
constexpr double kMostHigh = 1.5;
constexpr double kMostWide = 2.5;
// The room a label has on its face at either side, at least: a tick in its
// box or a radio button's dot has a pixel or two.
constexpr double kLeastRoom = 0.3;
// Rows labelled at once when looking for unboxed labels.
constexpr int kBandRows = 1024;
// Unboxed labels a page of keys holds at most: the flat signs of a keypad
// are a dozen or two. Hundreds of lone marks centred in frames are a
// pattern (the finder marks of a sheet of QR codes), each of which would
// cost reads for nothing.
constexpr size_t kMostUnboxed = 48;

struct Face {
  QRect ink;    // the label's ink
  QRect frame;  // the button's sides: its first pixels off the face
  bool mark = false;  // the ink is an arrow's filled triangle or a tick in its box, no label
};

// The grey of `grey8` within `r` that half its pixels are lighter than.
int medianGrey(const QImage& grey8, const QRect& r) {
  std::array<int, 256> hist{};
  for (int y = r.top(); y <= r.bottom(); ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = r.left(); x <= r.right(); ++x) ++hist[row[x]];
  }
  const int half = r.width() * r.height() / 2;
  int seen = 0;
  for (int v = 0; v < 256; ++v)
    if ((seen += hist[size_t(v)]) > half) return v;
  return 255;
}

// Whether `mask` (w x h, cropped to its ink) is a filled triangle, an
// arrow's: along one axis every line holds one run of ink, and the runs
// grow steadily from narrow to twice as long or more, as no glyph's do (a "1" or "7"
// jumps from its flag or bar to its stem; "-", "." and strokes keep one
// width; "<", "v" and "(" have lines of two runs).
bool triangle(const std::vector<uchar>& mask, int w, int h) {
  for (const bool columns : {true, false}) {
    const int lines = columns ? w : h, along = columns ? h : w;
    if (lines < 3) continue;
    std::vector<int> runs;
    for (int i = 0; i < lines; ++i) {
      int count = 0, pieces = 0;
      bool in = false;
      for (int k = 0; k < along; ++k) {
        const bool ink = mask[size_t(columns ? k * w + i : i * w + k)] != 0;
        count += ink;
        pieces += ink && !in;
        in = ink;
      }
      if (pieces != 1) break;
      runs.push_back(count);
    }
    if (int(runs.size()) != lines) continue;
    // A pixel's give either way: the rims of a drawn triangle are uneven.
    bool grows = true, shrinks = true;
    for (size_t i = 1; i < runs.size(); ++i) {
      grows = grows && runs[i] >= runs[i - 1] - 1;
      shrinks = shrinks && runs[i] <= runs[i - 1] + 1;
    }
    const int lo = *std::min_element(runs.begin(), runs.end()), hi = *std::max_element(runs.begin(), runs.end());
    // The widest run spans the shape, as a triangle's base does; a stroke's
    // runs keep its width.
    if ((!grows && !shrinks) || hi < 3 || 2 * lo > hi || 5 * hi < 3 * along ||
        2 * std::abs(runs.back() - runs.front()) < hi)
      continue;
    const int step = std::max(2, hi / 2);
    bool steady = true;
    for (size_t i = 1; i < runs.size() && steady; ++i) steady = std::abs(runs[i] - runs[i - 1]) <= step;
    if (steady) return true;
  }
  return false;
}

// The face the ink in `box` of `grey8` stands alone and centred on, if any.
std::optional<Face> buttonFace(const QImage& grey8, const QRect& box, double lineHeight) {
  const QRect b = box & grey8.rect();
  if (lineHeight <= 0 || b.isEmpty()) return std::nullopt;
  const int face = medianGrey(grey8, b);
  int contrast = 0;
  for (int y = b.top(); y <= b.bottom(); ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = b.left(); x <= b.right(); ++x) contrast = std::max(contrast, std::abs(int(row[x]) - face));
  }
  if (contrast < 32) return std::nullopt;
  // Off the face: the ink with its anti-aliased rims, a frame's light line.
  const int tol = std::clamp(contrast / 8, 12, 24);
  auto off = [&](int x, int y) { return std::abs(int(grey8.constScanLine(y)[x]) - face) > tol; };
  QRect ink;
  for (int y = b.top(); y <= b.bottom(); ++y)
    for (int x = b.left(); x <= b.right(); ++x)
      if (off(x, y)) ink |= QRect(x, y, 1, 1);
  // Grown to the ink that runs on out of the box: the detector's box of a
  // tall narrow sign ("(") cuts its ends off.
  for (bool grown = !ink.isEmpty(); grown && ink.height() <= kMostHigh * lineHeight && ink.width() <= kMostWide * lineHeight;) {
    grown = false;
    auto rowOff = [&](int y) {
      for (int x = std::max(0, ink.left() - 1); x <= std::min(grey8.width() - 1, ink.right() + 1); ++x)
        if (off(x, y)) return true;
      return false;
    };
    auto columnOff = [&](int x) {
      for (int y = std::max(0, ink.top() - 1); y <= std::min(grey8.height() - 1, ink.bottom() + 1); ++y)
        if (off(x, y)) return true;
      return false;
    };
    if (ink.top() > 0 && rowOff(ink.top() - 1)) ink.setTop(ink.top() - 1), grown = true;
    if (ink.bottom() + 1 < grey8.height() && rowOff(ink.bottom() + 1)) ink.setBottom(ink.bottom() + 1), grown = true;
    if (ink.left() > 0 && columnOff(ink.left() - 1)) ink.setLeft(ink.left() - 1), grown = true;
    if (ink.right() + 1 < grey8.width() && columnOff(ink.right() + 1)) ink.setRight(ink.right() + 1), grown = true;
  }
  if (ink.isEmpty() || ink.height() > kMostHigh * lineHeight || ink.width() > kMostWide * lineHeight) return std::nullopt;

  // From the ink out to the first column or row that is off the face.
  auto columnClear = [&](int x) {
    for (int y = ink.top(); y <= ink.bottom(); ++y)
      if (off(x, y)) return false;
    return true;
  };
  auto rowClear = [&](int y) {
    for (int x = ink.left(); x <= ink.right(); ++x)
      if (off(x, y)) return false;
    return true;
  };
  const int reachX = int(kReachX * lineHeight), reachY = int(kReachY * lineHeight);
  int left = ink.left() - 1, right = ink.right() + 1, top = ink.top() - 1, bottom = ink.bottom() + 1;
  while (left >= 0 && ink.left() - left <= reachX && columnClear(left)) --left;
  while (right < grey8.width() && right - ink.right() <= reachX && columnClear(right)) ++right;
  while (top >= 0 && ink.top() - top <= reachY && rowClear(top)) --top;
  while (bottom < grey8.height() && bottom - ink.bottom() <= reachY && rowClear(bottom)) ++bottom;
  if (left < 0 || right >= grey8.width() || top < 0 || bottom >= grey8.height()) return std::nullopt;
  // A page of nothing but buttons measures its lines as high as their
  // frames: the face's height bounds the line's.
  const int innerHeight = bottom - top - 1;
  const double line = std::min(lineHeight, innerHeight / 1.2);
  if (innerHeight < ink.height() + 2) return std::nullopt;
  // A dark palette's frame stands less far from its face: half as far counts.
  auto edge = [&](int fixed, int from, int to, bool column) {
    const int cut = (to - from) / 5;
    int n = 0, hits = 0;
    for (int i = from + cut; i <= to - cut; ++i, ++n)
      hits += 2 * std::abs(int(column ? grey8.constScanLine(i)[fixed] : grey8.constScanLine(fixed)[i]) - face) > tol;
    return n > 0 && 5 * hits >= 4 * n;
  };
  const int roomLeft = ink.left() - left - 1, roomRight = right - ink.right() - 1;
  const int least = std::max(2, int(std::lround(kLeastRoom * line)));
  auto framed = [&] {
    return edge(left, top + 1, bottom - 1, true) && edge(right, top + 1, bottom - 1, true) &&
           edge(top, left + 1, right - 1, false) && edge(bottom, left + 1, right - 1, false);
  };
  // Filling a small square frame: a check box's tick.
  const int innerWidth = right - left - 1;
  if ((roomLeft < least || roomRight < least) && std::abs(innerWidth - innerHeight) <= std::max(2, innerWidth / 8) &&
      innerHeight <= 2.5 * lineHeight && framed())
    return Face{ink, QRect(QPoint(left, top), QPoint(right, bottom)), true};
  if (roomLeft < least || roomRight < least || roomLeft > reachX || roomRight > reachX || ink.top() - top > reachY ||
      bottom - ink.bottom() > reachY)
    return std::nullopt;
  // Centred across; down, a "." sits on the line's foot and a "-" in its middle.
  if (std::abs(roomLeft - roomRight) > std::max(2, (roomLeft + roomRight) / 5)) return std::nullopt;

  // Nothing else on the face, and its four sides straight edges off it.
  // (but its rounded corners and a shade along its sides).
  const int corner = std::max(2, std::min(right - left, bottom - top) / 6);
  for (int y = top + corner; y <= bottom - corner; ++y)
    for (int x = left + corner; x <= right - corner; ++x)
      if (!ink.contains(x, y) && off(x, y)) return std::nullopt;
  if (!framed()) return std::nullopt;

  // No arrow's triangle: its ink counted at half the ink's contrast, past
  // its rims.
  QRect solid;
  for (int y = ink.top(); y <= ink.bottom(); ++y)
    for (int x = ink.left(); x <= ink.right(); ++x)
      if (2 * std::abs(int(grey8.constScanLine(y)[x]) - face) > contrast) solid |= QRect(x, y, 1, 1);
  std::vector<uchar> mask(size_t(solid.width() * solid.height()));
  for (int y = 0; y < solid.height(); ++y)
    for (int x = 0; x < solid.width(); ++x)
      mask[size_t(y * solid.width() + x)] = 2 * std::abs(int(grey8.constScanLine(solid.top() + y)[solid.left() + x]) - face) > contrast;
  return Face{ink, QRect(QPoint(left, top), QPoint(right, bottom)), triangle(mask, solid.width(), solid.height())};
}

// `source` cut to what a face around `box` can take, in grey.
struct Local {
  QImage grey8;
  QPoint at;
};
Local around(const QImage& source, const QRect& box, double lineHeight) {
  const int dx = int(std::ceil(kReachX * lineHeight)) + 4, dy = int(std::ceil(kReachY * lineHeight)) + 4;
  const QRect area = box.adjusted(-dx, -dy, dx, dy) & source.rect();
  return {grey(source.copy(area)), area.topLeft()};
}

}  // namespace

OnButton onButtonFace(const QImage& source, const QRect& box, double lineHeight) {
  if (source.isNull() || lineHeight <= 0) return OnButton::No;
  const Local local = around(source, box, lineHeight);
  const auto face = buttonFace(local.grey8, box.translated(-local.at), lineHeight);
  return !face ? OnButton::No : face->mark ? OnButton::Mark : OnButton::Label;
}

std::vector<QRect> buttonLabelBoxes(const QImage& source, const QImage& cleaned, int ground, int inkThreshold,
                                    double lineHeight, const std::vector<QRect>& boxes) {
  std::vector<QRect> out;
  if (source.isNull() || cleaned.isNull() || cleaned.format() != QImage::Format_Grayscale8 || lineHeight <= 0 ||
      inkThreshold <= 0)
    return out;
  // Small ink in no box, its pieces within half a line of each other (the
  // bars of "=", the signs of "+/-") taken together.
  const int join = std::max(1, int(std::lround(0.5 * lineHeight)));
  std::vector<QRect> pieces;
  const int tall = int(std::ceil(kMostHigh * lineHeight));
  const cv::Mat whole(cleaned.height(), cleaned.width(), CV_8U, const_cast<uchar*>(cleaned.constBits()),
                      size_t(cleaned.bytesPerLine()));
  for (int from = 0; from < cleaned.height(); from += kBandRows) {
    const int to = std::min(cleaned.height(), from + kBandRows);
    const QRect band = QRect(0, from, cleaned.width(), to - from + tall + 1) & cleaned.rect();
    const cv::Mat ink = whole(cv::Rect(band.x(), band.y(), band.width(), band.height())) <= ground - inkThreshold;
    cv::Mat labels, stats, centroids;
    const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
    for (int i = 1; i < n; ++i) {
      const QRect r(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP) + band.top(),
                    stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
      if (r.top() >= to || r.height() > kMostHigh * lineHeight || r.width() > kMostWide * lineHeight) continue;
      if (std::any_of(boxes.begin(), boxes.end(), [&](const QRect& b) { return b.intersects(r); })) continue;
      pieces.push_back(r);
    }
  }
  std::vector<QRect> groups;
  for (const QRect& p : pieces) {
    QRect g = p;
    for (bool merged = true; merged;) {
      merged = false;
      for (auto it = groups.begin(); it != groups.end(); ++it)
        if (it->adjusted(-join, -join, join, join).intersects(g)) {
          g |= *it;
          groups.erase(it);
          merged = true;
          break;
        }
    }
    groups.push_back(g);
  }
  const int grow = std::max(2, int(std::lround(kLeastRoom * lineHeight)));
  for (const QRect& g : groups) {
    if (g.height() > kMostHigh * lineHeight || g.width() > kMostWide * lineHeight) continue;
    const Local local = around(source, g, lineHeight);
    const auto face = buttonFace(local.grey8, g.adjusted(-2, -2, 2, 2).translated(-local.at), lineHeight);
    if (!face || face->mark) continue;
    // A line's height across the face's middle, as wide as the ink and
    // grown as the detector grows its boxes.
    const QRect inner = face->frame.adjusted(1, 1, -1, -1).translated(local.at);
    const int half = int(std::lround(0.65 * lineHeight));
    const int middle = inner.center().y();
    QRect box(QPoint(g.left() - grow, middle - half), QPoint(g.right() + grow, middle + half));
    box = (box | g) & inner;
    if (std::none_of(out.begin(), out.end(), [&](const QRect& b) { return b.intersects(box); })) out.push_back(box);
    if (out.size() > kMostUnboxed) return {};
  }
  return out;
}

void restoreLabels(QImage& cleaned, int ground, const QImage& source, const std::vector<QRect>& keys) {
  if (cleaned.isNull() || cleaned.format() != QImage::Format_Grayscale8 || cleaned.size() != source.size()) return;
  for (const QRect& key : keys) {
    const QRect r = key & cleaned.rect();
    if (r.isEmpty()) continue;
    int darkest = 255;
    for (int y = r.top(); y <= r.bottom(); ++y) {
      const uchar* row = cleaned.constScanLine(y);
      for (int x = r.left(); x <= r.right(); ++x) darkest = std::min<int>(darkest, row[x]);
    }
    if (ground - darkest >= 16) continue;
    const QImage raw = grey(source.copy(r));
    for (int y = 0; y < r.height(); ++y)
      std::copy_n(raw.constScanLine(y), r.width(), cleaned.scanLine(r.top() + y) + r.left());
  }
}

void clearDropArrow(QImage& part, int ground) {
  const int w = part.width(), h = part.height();
  if (part.isNull() || part.format() != QImage::Format_Grayscale8 || w < 4 || h < 4) return;
  int darkest = 255;
  for (int y = 0; y < h; ++y) {
    const uchar* row = part.constScanLine(y);
    for (int x = 0; x < w; ++x) darkest = std::min<int>(darkest, row[x]);
  }
  if (ground - darkest < 32) return;
  const int level = ground - (ground - darkest) / 2;
  // Each column's first and last ink, and its runs of ink.
  std::vector<int> top(size_t(w), -1), foot(size_t(w), -1), runs(size_t(w), 0);
  for (int x = 0; x < w; ++x) {
    bool in = false;
    for (int y = 0; y < h; ++y) {
      const bool ink = part.constScanLine(y)[x] < level;
      if (ink && top[size_t(x)] < 0) top[size_t(x)] = y;
      if (ink) foot[size_t(x)] = y;
      runs[size_t(x)] += ink && !in;
      in = ink;
    }
  }
  // The last run of inked columns, and the ink before it.
  int x1 = w - 1;
  while (x1 >= 0 && top[size_t(x1)] < 0) --x1;
  int x0 = x1;
  while (x0 > 0 && top[size_t(x0 - 1)] >= 0) --x0;
  int before = x0 - 1;
  while (before >= 0 && top[size_t(before)] < 0) --before;
  if (x1 < 0 || before < 0) return;
  // The line's top, and its foot: where the columns of its glyphs end, but
  // for the few of descenders and the bowls and arms that end higher.
  int lineTop = h, lineFoot = -1, markTop = h, markFoot = -1;
  std::vector<int> feet;
  for (int x = 0; x <= before; ++x) {
    if (top[size_t(x)] < 0) continue;
    lineTop = std::min(lineTop, top[size_t(x)]);
    lineFoot = std::max(lineFoot, foot[size_t(x)]);
    feet.push_back(foot[size_t(x)]);
  }
  std::sort(feet.begin(), feet.end());
  const int baseline = feet[feet.size() * 3 / 4];
  for (int x = x0; x <= x1; ++x) {
    markTop = std::min(markTop, top[size_t(x)]);
    markFoot = std::max(markFoot, foot[size_t(x)]);
  }
  const int lineHeight = lineFoot - lineTop + 1, high = markFoot - markTop + 1, wide = x1 - x0 + 1;
  if (x0 - before - 1 < std::max(2, lineHeight / 4)) return;  // no gap: part of the last glyph
  if (4 * high < lineHeight || 5 * high > 3 * lineHeight || wide < high || wide > 2 * lineHeight) return;
  if (markFoot > baseline - 0.15 * lineHeight || markFoot > lineTop + 0.75 * lineHeight ||
      markTop < lineTop + 0.15 * lineHeight)
    return;
  // A "v": one run in each column, its foot falling to the lowest and rising again.
  int lowest = x0;
  for (int x = x0; x <= x1; ++x) {
    if (runs[size_t(x)] != 1) return;
    if (foot[size_t(x)] > foot[size_t(lowest)]) lowest = x;
  }
  for (int x = x0; x < x1; ++x)
    if (x < lowest ? foot[size_t(x + 1)] < foot[size_t(x)] : foot[size_t(x + 1)] > foot[size_t(x)]) return;
  if (foot[size_t(x0)] >= foot[size_t(lowest)] - 1 || foot[size_t(x1)] >= foot[size_t(lowest)] - 1) return;
  // Its soft rims too: a column either side, a row above and below.
  const QRect mark = QRect(QPoint(x0 - 1, markTop - 1), QPoint(x1 + 1, markFoot + 1)) & part.rect();
  for (int y = mark.top(); y <= mark.bottom(); ++y) std::fill_n(part.scanLine(y) + mark.left(), mark.width(), uchar(ground));
}

bool keyLabel(const QString& text, double confidence) {
  static const QString signs = QStringLiteral("()+-*/=%.<>,:;!?#&^[]{}$");
  const QString bare = QString(text).remove(QLatin1Char(' '));
  if (bare.isEmpty() || bare.size() > 3 || confidence < 0.75) return false;
  return std::all_of(bare.begin(), bare.end(), [](QChar ch) {
    return ch.unicode() < 128 && (ch.isLetterOrNumber() || signs.contains(ch));
  });
}

}  // namespace ocr
