#include "recognition/Panes.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"

namespace ocr {

namespace {

// How far a divider's pixels stand from both sides.
constexpr int kContrast = 20;

}  // namespace

std::vector<QRect> uprightDividers(const QImage& grey8) {
  std::vector<QRect> out;
  if (grey8.format() != QImage::Format_Grayscale8) return out;
  const int w = grey8.width(), h = grey8.height();
  // A third of the image at least: a pane runs down most of a window, and
  // the window may be a part of the capture.
  const int least = std::max(64, h / 3);
  if (h < least || w < 4) return out;
  // A selected row or a header may cover the line for a few rows: a run
  // goes on over gaps up to `bridge`, and at least `held` of it is line.
  const int bridge = std::max(4, h / 16);
  constexpr double held = 0.8;
  // Per column and width (one or two pixels), the run followed and the
  // longest so far; the image is walked row by row.
  struct Run {
    int start = -1, missed = 0, on = 0, best = 0, bestStart = 0;
  };
  std::vector<Run> runs(size_t(2 * w));
  auto end = [&](Run& r, int y, bool last) {
    const int length = y - r.missed - r.start + (last ? 0 : 1);
    if (length > r.best && r.on >= held * length) r.best = length, r.bestStart = r.start;
    r.start = -1, r.missed = 0;
  };
  for (int y = 0; y < h; ++y) {
    const uchar* row = grey8.constScanLine(y);
    for (int x = 1; x + 1 < w; ++x)
      for (int width = 1; width <= 2 && x + width < w; ++width) {
        Run& r = runs[size_t(2 * x + width - 1)];
        const int a = row[x - 1], b = row[x + width], c = row[x], d = row[x + width - 1];
        const bool line = std::abs(c - d) <= 10 &&
                          ((c < a - kContrast && c < b - kContrast && d < a - kContrast && d < b - kContrast) ||
                           (c > a + kContrast && c > b + kContrast && d > a + kContrast && d > b + kContrast));
        if (line) {
          if (r.start < 0) r.start = y, r.on = 0;
          r.missed = 0, ++r.on;
        } else if (r.start >= 0 && ++r.missed > bridge) {
          end(r, y, false);
        }
      }
  }
  int lastRight = -1;
  for (int x = 1; x + 1 < w; ++x)
    for (int width = 1; width <= 2 && x + width < w && x > lastRight; ++width) {
      Run& r = runs[size_t(2 * x + width - 1)];
      if (r.start >= 0) end(r, h, true);
      if (r.best < least) continue;
      out.emplace_back(x, r.bestStart, width, r.best);
      lastRight = x + width;
    }
  return out;
}

std::vector<QRect> uprightDividersOf(const QImage& image) {
  static std::mutex mutex;
  static qint64 key = 0;
  static std::vector<QRect> last;
  {
    std::lock_guard lock(mutex);
    if (key != 0 && key == image.cacheKey()) return last;
  }
  std::vector<QRect> found = uprightDividers(grey(image));
  std::lock_guard lock(mutex);
  key = image.cacheKey(), last = found;
  return found;
}

}  // namespace ocr

namespace Recognizer {

namespace {

// A piece's box with a top-left origin.
QRectF topLeft(const Piece& p, double height) { return {p.rect.minX(), height - p.rect.maxY(), p.rect.width, p.rect.height}; }

struct Parted {
  std::vector<Piece> above, left, inside, right, below;
};

// The pieces around `divider`, or around and in a box; a piece within its
// height goes to the side its middle stands on.
Parted part(std::vector<Piece> pieces, const QRect& divider, double height) {
  Parted out;
  const bool box = divider.width() > 2;
  const double x = divider.x() + divider.width() / 2.0;
  for (Piece& p : pieces) {
    const QPointF c = topLeft(p, height).center();
    if (c.y() < divider.top()) out.above.push_back(std::move(p));
    else if (c.y() > divider.bottom()) out.below.push_back(std::move(p));
    else if (box ? c.x() < divider.left() : c.x() < x) out.left.push_back(std::move(p));
    else if (!box || c.x() > divider.right()) out.right.push_back(std::move(p));
    else out.inside.push_back(std::move(p));
  }
  return out;
}

void inPanes(std::vector<Piece> pieces, std::vector<QRect> dividers, double height,
             std::vector<std::vector<std::vector<Piece>>>& out) {
  if (pieces.empty()) return;
  for (size_t i = 0; i < dividers.size(); ++i) {
    const QRect d = dividers[i];
    Parted p = part(pieces, d, height);
    const bool parts = d.width() > 2 ? !p.inside.empty() && p.inside.size() < pieces.size()
                                     : !p.left.empty() && !p.right.empty();
    if (!parts) continue;
    dividers.erase(dividers.begin() + std::ptrdiff_t(i));
    for (std::vector<Piece>* side : {&p.above, &p.left, &p.inside, &p.right, &p.below})
      inPanes(std::move(*side), dividers, height, out);
    return;
  }
  out.push_back(group(std::move(pieces)));
}

}  // namespace

std::vector<QRect> partingDividers(const std::vector<Piece>& lines, const std::vector<QRect>& candidates, double height) {
  std::vector<QRect> out;
  // The outermost two lines of one height are the sides of a box (a list's
  // frame): what it holds is a pane of its own, the window's title, prompt
  // and buttons around it another.
  std::vector<bool> side(candidates.size(), false);
  for (size_t a = 0; a < candidates.size(); ++a) {
    if (side[a]) continue;
    auto same = [&](size_t b) {
      return std::abs(candidates[a].top() - candidates[b].top()) <= 3 &&
             std::abs(candidates[a].bottom() - candidates[b].bottom()) <= 3;
    };
    size_t last = a;
    for (size_t b = a + 1; b < candidates.size(); ++b)
      if (same(b)) last = b, side[b] = true;
    if (last == a) continue;
    const QRect box = candidates[a] | candidates[last];
    size_t inside = 0, crossing = 0;
    for (const Piece& p : lines) {
      const QRectF r = topLeft(p, height);
      if (r.center().y() < box.top() || r.center().y() > box.bottom()) continue;
      crossing += (r.left() < box.left() && r.right() > box.left()) || (r.left() < box.right() && r.right() > box.right());
      inside += box.contains(r.center().toPoint());
    }
    if (crossing == 0 && inside >= 2 && inside < lines.size()) out.push_back(box);
  }
  for (const QRect& d : candidates) {
    const double x = d.x() + d.width() / 2.0;
    std::vector<QRectF> left, right;
    bool crossed = false;
    for (const Piece& p : lines) {
      const QRectF r = topLeft(p, height);
      if (r.center().y() < d.top() || r.center().y() > d.bottom()) continue;
      // Text running over the line: a rule or an underline, no divider.
      if (r.left() < x - 2 && r.right() > x + 2) crossed = true;
      (r.center().x() < x ? left : right).push_back(r);
    }
    if (crossed || left.empty() || right.empty()) continue;
    // A table's rule has the same rows on both sides; panes' lines stand at
    // heights of their own, and meet only now and then.
    const std::vector<QRectF>& fewer = left.size() <= right.size() ? left : right;
    const std::vector<QRectF>& more = left.size() <= right.size() ? right : left;
    size_t level = 0;
    for (const QRectF& a : fewer)
      level += std::any_of(more.begin(), more.end(), [&](const QRectF& b) {
        return std::abs(a.center().y() - b.center().y()) < 0.25 * std::min(a.height(), b.height());
      });
    if (level < 0.75 * double(fewer.size())) out.push_back(d);
  }
  // The longest first: it parts the window, the shorter ones part a pane.
  std::stable_sort(out.begin(), out.end(), [](const QRect& a, const QRect& b) { return a.height() > b.height(); });
  return out;
}

std::vector<std::vector<std::vector<Piece>>> groupInPanes(std::vector<Piece> pieces, const std::vector<QRect>& dividers,
                                                          double height) {
  std::vector<std::vector<std::vector<Piece>>> out;
  inPanes(std::move(pieces), dividers, height, out);
  return out;
}

}  // namespace Recognizer
