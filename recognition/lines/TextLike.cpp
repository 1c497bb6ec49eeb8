#include "recognition/lines/TextLike.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <numeric>
#include <exception>

#include "recognition/engines/EnginePool.h"
#include "recognition/clean/Prepare.h"

namespace ocr {

namespace {

// Images below this many pixels are read whole: a picked word, a digit or a
// dialog costs the engine little, and a lone mark there is worth reading.
constexpr double kSmallImage = 250'000;
// The cells pictures are painted over in, in source pixels.
constexpr int kCell = 16;
// A cell is busy when its most common grey (give or take four levels) holds
// less than this share of it.
constexpr double kBusy = 0.6;
// A cell this much one grey is plain ground.
constexpr double kPlain = 0.97;
// Busy areas of fewer cells are a widget's icon or ring, not a picture.
constexpr size_t kPictureCells = 16;

cv::Mat matOf(const QImage& grey8) {
  return cv::Mat(grey8.height(), grey8.width(), CV_8U, const_cast<uchar*>(grey8.constBits()), size_t(grey8.bytesPerLine()));
}

struct Ground {
  std::vector<uchar> level;  // most common grey of each block
  std::vector<float> share;  // share of the block within 4 levels of it
  int columns = 0;
};

// The most common grey of a histogram, counted with the four levels either
// side, and how many pixels that window holds.
std::pair<int, int> commonLevel(const std::array<int, 256>& histogram) {
  int window = 0;
  for (int l = 0; l < 9; ++l) window += histogram[size_t(l)];
  int best = window, centre = 4;
  for (int l = 5; l < 252; ++l) {
    window += histogram[size_t(l + 4)] - histogram[size_t(l - 5)];
    if (window > best) best = window, centre = l;
  }
  return {centre, best};
}

Ground grounds(const cv::Mat& grey, int block) {
  Ground g;
  g.columns = (grey.cols + block - 1) / block;
  const int rows = (grey.rows + block - 1) / block;
  g.level.resize(size_t(g.columns) * size_t(rows));
  g.share.resize(g.level.size());
  for (int by = 0; by < rows; ++by) {
    for (int bx = 0; bx < g.columns; ++bx) {
      std::array<int, 256> histogram{};
      const int x0 = bx * block, x1 = std::min(grey.cols, x0 + block);
      const int y0 = by * block, y1 = std::min(grey.rows, y0 + block);
      for (int y = y0; y < y1; ++y) {
        const uchar* row = grey.ptr<uchar>(y);
        for (int x = x0; x < x1; ++x) ++histogram[row[x]];
      }
      const auto [centre, best] = commonLevel(histogram);
      const size_t i = size_t(by) * size_t(g.columns) + size_t(bx);
      g.level[i] = uchar(centre);
      g.share[i] = float(best) / float((x1 - x0) * (y1 - y0));
    }
  }
  return g;
}

struct Mark {
  cv::Rect box;
  bool quiet;  // on a ground that is mostly one grey around it
};

// Whether what lies around mark `label` (within half its height) is mostly
// one grey: a digit in a spin box, not a speck of a photograph's texture.
bool quietAround(const cv::Mat& grey, const cv::Mat& labels, int label, const cv::Rect& box, double quiet) {
  const int m = std::max(3, box.height / 2);
  const cv::Rect around = cv::Rect(box.x - m, box.y - m, box.width + 2 * m, box.height + 2 * m) & cv::Rect(0, 0, grey.cols, grey.rows);
  std::array<int, 256> histogram{};
  int count = 0;
  for (int y = around.y; y < around.y + around.height; ++y) {
    const uchar* row = grey.ptr<uchar>(y);
    const int* owner = labels.ptr<int>(y);
    for (int x = around.x; x < around.x + around.width; ++x)
      if (owner[x] != label) ++histogram[row[x]], ++count;
  }
  return count > 0 && commonLevel(histogram).second >= quiet * count;
}

// A block whose most common grey holds less than this share of it has no
// ground for marks to stand out from: in grey noise that grey holds a few
// per cent, and what differs from it clumps into letter-sized blobs (a 4K
// screen of Gaussian noise gave 60,000 such areas, which the fast path read
// for 50 s into 176 lines of junk). Text keeps its ground: a block of dense
// 12 px prose is more than half ground.
constexpr float kLeastGround = 0.3f;

// The marks are found in strips of this many rows, so that their labels, four
// bytes a pixel, are never held for a whole 8K screen at once.
constexpr int kStrip = 1024;

std::vector<Mark> marks(const cv::Mat& grey, const Ground& g, const TextLikeOptions& o) {
  // A strip reaches far enough beyond its own rows that every mark starting
  // in them lies whole in it, with what lies around the mark.
  const int reach = o.maxHeight + o.maxHeight / 2 + 2;
  std::vector<Mark> out;
  cv::Mat ink, labels, stats, centroids;
  for (int own = 0; own < grey.rows; own += kStrip) {
    const int top = std::max(0, own - reach), bottom = std::min(grey.rows, own + kStrip + reach);
    const cv::Mat part = grey.rowRange(top, bottom);
    ink.create(part.size(), CV_8U);
    for (int y = top; y < bottom; ++y) {
      const uchar* row = grey.ptr<uchar>(y);
      uchar* to = ink.ptr<uchar>(y - top);
      const size_t base = size_t(y / o.block) * size_t(g.columns);
      for (int x = 0; x < grey.cols; ++x) {
        const size_t b = base + size_t(x / o.block);
        to[x] = g.share[b] >= kLeastGround && std::abs(int(row[x]) - int(g.level[b])) >= o.contrast;
      }
    }
    const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
    for (int i = 1; i < n; ++i) {
      cv::Rect box(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP),
                   stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
      if (box.y + top < own || box.y + top >= own + kStrip) continue;  // another strip's
      if (box.y + box.height == part.rows && bottom < grey.rows) continue;  // cut by the strip: taller than a mark
      if (box.height < o.minHeight || box.height > o.maxHeight || box.width > 4 * box.height + 4) continue;
      const bool quiet = quietAround(part, labels, i, box, o.quiet);
      box.y += top;
      out.push_back({box, quiet});
    }
  }
  return out;
}

// Whether two marks sit side by side as letters of one line do.
bool neighbours(const cv::Rect& a, const cv::Rect& b) {
  const int lo = std::min(a.height, b.height), hi = std::max(a.height, b.height);
  if (hi > 5 * lo / 2) return false;
  const int overlap = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
  if (overlap * 5 < lo * 2) return false;
  const int gap = std::max(a.x, b.x) - std::min(a.x + a.width, b.x + b.width);
  return gap <= 3 * hi / 2;
}

int root(std::vector<int>& parent, int i) {
  while (parent[size_t(i)] != i) i = parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
  return i;
}

constexpr size_t kManyLone = 100;
constexpr int kSpeckledRow = 5;

// Marks in rows of two or more, and quiet lone ones.
std::vector<cv::Rect> textMarks(const std::vector<Mark>& found) {
  // Marks bucketed by rows of their top, each row by x, so that a mark's
  // neighbours are looked for among the few that can be beside it. Each pair
  // is found from its left one.
  constexpr int kRow = 16;
  int bottom = 0;
  for (const Mark& m : found) bottom = std::max(bottom, m.box.y + m.box.height);
  std::vector<std::vector<int>> rows(size_t(bottom / kRow + 1));
  for (size_t i = 0; i < found.size(); ++i) rows[size_t(found[i].box.y / kRow)].push_back(int(i));
  for (auto& row : rows)
    std::sort(row.begin(), row.end(), [&](int a, int b) { return found[size_t(a)].box.x < found[size_t(b)].box.x; });
  std::vector<int> parent(found.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (size_t i = 0; i < found.size(); ++i) {
    const cv::Rect& a = found[i].box;
    const int from = std::max(0, (a.y - a.height * 5 / 2) / kRow), to = (a.y + a.height) / kRow;
    const int reach = a.x + a.width + 4 * a.height + 4;
    for (int r = from; r <= to && r < int(rows.size()); ++r) {
      const std::vector<int>& row = rows[size_t(r)];
      auto j = std::lower_bound(row.begin(), row.end(), a.x, [&](int k, int x) { return found[size_t(k)].box.x < x; });
      for (; j != row.end() && found[size_t(*j)].box.x <= reach; ++j)
        if (size_t(*j) != i && neighbours(a, found[size_t(*j)].box)) parent[size_t(root(parent, *j))] = root(parent, int(i));
    }
  }
  std::vector<int> size(found.size(), 0);
  for (size_t i = 0; i < found.size(); ++i) ++size[size_t(root(parent, int(i)))];
  // Lone quiet marks are a spin box's digit or a badge's count beside the
  // rows of a screen; by the thousand, with few rows, they are specks of
  // salt-and-pepper noise clumped by chance (a 4K screen of it: 3,100 lone
  // marks, 200 in rows).
  size_t inRows = 0, lone = 0;
  for (size_t i = 0; i < found.size(); ++i) {
    if (size[size_t(root(parent, int(i)))] >= 2)
      ++inRows;
    else
      lone += found[i].quiet;
  }
  const bool loneCount = lone <= std::max(kManyLone, inRows);
  // Among that many specks, rows of two to four are specks side by side by
  // chance (the same screen: 88 pairs, 4 threes, 1 four, and no longer row),
  // which the detector and the engine spent minutes on for nothing; a line
  // of words is longer.
  const int leastRow = loneCount ? 2 : kSpeckledRow;
  std::vector<cv::Rect> out;
  for (size_t i = 0; i < found.size(); ++i)
    if (size[size_t(root(parent, int(i)))] >= leastRow || (found[i].quiet && loneCount)) out.push_back(found[i].box);
  return out;
}




// The four neighbours of cell `c` on a grid `cols` wide and `rows` high.
template <typename Visit>
void besides(size_t c, int cols, int rows, Visit&& visit) {
  const int x = int(c % size_t(cols)), y = int(c / size_t(cols));
  if (x > 0) visit(c - 1);
  if (x + 1 < cols) visit(c + 1);
  if (y > 0) visit(c - size_t(cols));
  if (y + 1 < rows) visit(c + size_t(cols));
}

// The cells to paint: areas of busy cells (no grey holds most of them: noise,
// a photograph's texture) away from the text. Only cells whose four
// neighbours are busy too start an area, so that a widget's frame, a line of
// busy cells, and its icon, a few, stay; the area then takes in the busy and
// half-covered cells around it.
std::vector<uchar> picturesAwayFromText(const cv::Mat& grey, const std::vector<QRect>& regions) {
  const Ground cells = grounds(grey, kCell);
  const int cols = cells.columns, rows = int(cells.share.size()) / std::max(1, cols);
  const size_t count = cells.share.size();
  auto busy = [&](size_t c) { return cells.share[c] < kBusy; };
  std::vector<uchar> deep(count, 0);
  for (size_t c = 0; c < count; ++c) {
    bool all = busy(c);
    besides(c, cols, rows, [&](size_t n) { all = all && busy(n); });
    deep[c] = all;
  }
  std::vector<uchar> paint(count, 0), seen(count, 0);
  std::vector<size_t> stack, area;
  for (size_t start = 0; start < count; ++start) {
    if (seen[start] || !deep[start]) continue;
    area.clear();
    stack.assign(1, start);
    seen[start] = 1;
    while (!stack.empty()) {
      const size_t c = stack.back();
      stack.pop_back();
      area.push_back(c);
      besides(c, cols, rows, [&](size_t n) {
        if (!seen[n] && deep[n]) seen[n] = 1, stack.push_back(n);
      });
    }
    if (area.size() >= kPictureCells)
      for (size_t c : area) paint[c] = 1;
  }
  // Rings around: the busy cells the start left out, then the cells a
  // picture's edge covers only a few rows of, and its corners.
  for (int ring = 0; ring < 3; ++ring) {
    std::vector<uchar> grown = paint;
    for (size_t c = 0; c < count; ++c)
      if (paint[c])
        besides(c, cols, rows, [&](size_t n) { grown[n] = grown[n] || cells.share[n] < kPlain; });
    paint.swap(grown);
  }
  for (const QRect& r : regions)
    for (int cy = r.top() / kCell; cy <= r.bottom() / kCell; ++cy)
      std::memset(paint.data() + size_t(cy) * size_t(cols) + size_t(r.left() / kCell), 0,
                  size_t(r.right() / kCell - r.left() / kCell + 1));
  return paint;
}

}  // namespace

std::vector<QRect> textLikeRegions(const QImage& grey8, const TextLikeOptions& options) {
  if (grey8.isNull() || grey8.format() != QImage::Format_Grayscale8) return {};
  // Full size: a smaller copy averages noise into marks that look like letters.
  const cv::Mat grey = matOf(grey8);
  std::vector<QRect> out;
  for (const cv::Rect& m : textMarks(marks(grey, grounds(grey, options.block), options))) {
    // Room for the dots, accents and underscores that are marks of their own.
    const int h = m.height;
    out.push_back(QRect(m.x, m.y, m.width, h).adjusted(-h - 4, -h * 3 / 5 - 4, h + 4, h * 3 / 5 + 4).intersected(grey8.rect()));
  }
  return out;
}

QImage textLikeOnly(const QImage& image) {
  if (image.isNull() || double(image.width()) * image.height() < kSmallImage) return image;
  // The last picture found to hold nothing text-like: a capture road whose
  // accurate read came back empty tries the fast path on the same picture.
  static std::atomic<qint64> lastWithout{0};
  if (image.cacheKey() == lastWithout.load()) return {};
  const QImage g = grey(image);
  const std::vector<QRect> regions = textLikeRegions(g);
  if (regions.empty()) {
    lastWithout.store(image.cacheKey());
    return {};
  }
  const std::vector<uchar> paint = picturesAwayFromText(matOf(g), regions);
  // Nothing to paint: the image is read as it is.
  if (std::find(paint.begin(), paint.end(), 1) == paint.end()) return image;
  const int cols = (image.width() + kCell - 1) / kCell;

  // A grey picture stays grey: a colour copy of a strip of screens would cost
  // four times as much.
  const QImage source = image.format() == QImage::Format_Grayscale8 ? image : opaque(image);
  const int ground = measure(g).background;
  QImage out(image.size(), source.format());
  if (out.isNull()) return image;
  out.fill(QColor(ground, ground, ground));
  const size_t bytes = size_t(source.depth() / 8);
  for (int y = 0; y < image.height(); ++y) {
    const uchar* from = source.constScanLine(y);
    uchar* to = out.scanLine(y);
    const uchar* cells = paint.data() + size_t(y / kCell) * size_t(cols);
    for (int cx = 0; cx < cols; ++cx) {
      if (cells[cx]) continue;
      const size_t x0 = size_t(cx * kCell), x1 = size_t(std::min(image.width(), cx * kCell + kCell));
      std::memcpy(to + x0 * bytes, from + x0 * bytes, (x1 - x0) * bytes);
    }
  }
  return out;
}

QImage textLikeOnlyGuarded(const QImage& image) {
  try {
    return textLikeOnly(image);
  } catch (const std::exception& e) {
    qCWarning(lcOcr) << "finding the text-like areas failed; the whole image is read:" << e.what();
  } catch (...) {
    qCWarning(lcOcr) << "finding the text-like areas failed; the whole image is read";
  }
  return image;
}

}  // namespace ocr
