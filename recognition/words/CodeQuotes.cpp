#include "recognition/words/CodeQuotes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <opencv2/imgproc.hpp>

#include "recognition/words/CodeInk.h"

namespace ocr {

namespace {

// A blob of ink, top-left origin in the image.
struct Blob {
  QRect box;
  bool tick = false;
  bool bar = false;  // thin and as tall as the line: a text cursor, as a rule
};

// The blobs of ink of `area` in `grey8`, dark on light or light on dark:
// the ground is what most of the area is.
std::vector<Blob> blobsIn(const QImage& grey8, const QRect& area, const CodeGrid& grid) {
  std::vector<Blob> blobs;
  const cv::Mat ink = inkOf(grey8, area);
  if (ink.empty()) return blobs;
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(ink, labels, stats, centroids, 8, CV_32S);
  for (int i = 1; i < n; ++i) {
    const QRect box(area.x() + stats.at<int>(i, cv::CC_STAT_LEFT), area.y() + stats.at<int>(i, cv::CC_STAT_TOP),
                    stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
    // A quote's tick: short, upright or nearly, narrower than half a cell
    // (the two of a '"' may run together into one a little wider). A text
    // cursor is as tall as the line.
    const bool tick = box.height() <= 0.45 * grid.height && box.height() >= 0.12 * grid.height &&
                      box.width() <= 0.6 * grid.pitch && box.height() >= 0.8 * box.width();
    const bool bar = box.height() >= 0.8 * grid.height && box.width() <= std::max(2.0, 0.25 * grid.pitch);
    blobs.push_back({box, tick, bar});
  }
  return blobs;
}

// The marks of the blobs in a stretch of cells, keyed by cell: '"' for two
// ticks or one as wide as two, '\'' for one; empty where a cell holds
// anything else but a cursor. `cellOf` gives a column's cell; a quote's
// ticks end above the row `low` (a comma and a full stop stand on the
// baseline).
template <typename CellOf>
std::map<int, QString> marksByCell(const std::vector<const Blob*>& blobs, const CodeGrid& grid, CellOf cellOf, int low) {
  std::map<int, std::vector<const Blob*>> cells;
  for (const Blob* b : blobs)
    for (int c = cellOf(b->box.left()); c <= cellOf(b->box.right()); ++c) cells[c].push_back(b);
  std::map<int, QString> marks;
  for (const auto& [cell, all] : cells) {
    // An editor's cursor stands at the edge of a cell: beside a quote's
    // ticks, not in their way.
    std::vector<const Blob*> in;
    std::copy_if(all.begin(), all.end(), std::back_inserter(in), [](const Blob* b) { return !b->bar; });
    const bool quotes = !in.empty() && in.size() <= 2 && std::all_of(in.begin(), in.end(), [&](const Blob* b) {
                          return b->tick && b->box.bottom() < low &&
                                 std::abs(b->box.top() - in.front()->box.top()) <= 0.15 * grid.height;
                        });
    if (!quotes) {
      marks[cell];
      continue;
    }
    int left = in.front()->box.left(), right = in.front()->box.right();
    for (const Blob* b : in) left = std::min(left, b->box.left()), right = std::max(right, b->box.right());
    marks[cell] = in.size() == 2 || right - left + 1 >= 0.4 * grid.pitch ? QStringLiteral("\"") : QStringLiteral("'");
  }
  return marks;
}

bool quoteMark(QChar c) {
  const char16_t u = c.unicode();
  return u == '"' || u == '\'' || u == 0x201C || u == 0x201D || u == 0x201E || u == 0x2018 || u == 0x2019 ||
         u == 0x201A || u == 0x2032 || u == 0x2033;
}

// How many quotes the text starts with, and ends with.
int leadingQuotes(const QString& text) {
  int n = 0;
  while (n < text.size() && quoteMark(text[n])) ++n;
  return n;
}

int trailingQuotes(const QString& text) {
  int n = 0;
  while (n < text.size() && quoteMark(text[text.size() - 1 - n])) ++n;
  return n;
}

}  // namespace

bool restoreQuotes(std::vector<std::vector<Piece>>& rows, const CodeGrid& grid, const QImage& image) {
  if (grid.rows.size() < 2 || grid.pitch <= 0 || grid.height <= 0 || image.isNull()) return false;
  const QImage grey8 = image.format() == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_Grayscale8);
  const int H = grey8.height();
  QRect span;
  std::vector<QRect> boxes;  // every row's pieces, in image pixels
  for (size_t r : grid.rows) span |= inImage(rows[r].front().rect, H);
  for (const auto& row : rows)
    for (const Piece& p : row)
      if (p.rect.width > 0) boxes.push_back(inImage(p.rect, H));
  const int margin = int(std::ceil(grid.height));
  const QRect area = QRect(QPoint(int(grid.base - 4 * grid.pitch), span.top() - margin),
                           QPoint(grey8.width() - 1, span.bottom() + margin)) & grey8.rect();
  if (area.isEmpty()) return false;
  const std::vector<Blob> blobs = blobsIn(grey8, area, grid);
  auto cellOf = [&](int x) { return int(std::floor((x - grid.base) / grid.pitch + 0.15)); };
  bool changed = false;

  // Rows starting or ending with quotes: the runs of quote cells at the
  // ends of the row's ink, counted from the cells its boxes end in, both
  // ways, against the quotes at the ends of its text.
  for (size_t r : grid.rows) {
    Piece& first = rows[r].front();
    Piece& last = rows[r].back();
    const QRect box = inImage(first.rect, H), end = inImage(last.rect, H);
    std::vector<const Blob*> in;
    for (const Blob& b : blobs) {
      const int mid = b.box.center().y();
      if (mid >= box.top() - 0.1 * grid.height && mid <= box.bottom() && b.box.top() >= box.top() - 0.3 * grid.height &&
          b.box.left() >= box.left() - 4 * grid.pitch && b.box.right() <= end.right() + 4 * grid.pitch)
        in.push_back(&b);
    }
    const std::map<int, QString> marks = marksByCell(in, grid, cellOf, int(box.top() + grid.height / 2));
    auto quoteCell = [&](int c) {
      const auto it = marks.find(c);
      return it != marks.end() && !it->second.isEmpty();
    };
    // The stretch of the image the cells [from, to) cover.
    auto reach = [&](int from, int to) {
      QRect ink;
      for (const Blob* b : in)
        if (cellOf(b->box.left()) >= from && cellOf(b->box.right()) < to) ink |= b->box;
      return ink;
    };
    // A box starting with quotes starts where their first cell's letter
    // would (`cell`): a quote's ticks stand in the middle of the cell.
    auto widen = [&](Piece& piece, const QRect& ink, std::optional<int> cell) {
      if (ink.isEmpty()) return;
      const double start = cell ? std::min(double(ink.left()), grid.base + *cell * grid.pitch) : ink.left();
      const double left = std::min(piece.rect.minX(), start);
      const double right = std::max(piece.rect.maxX(), double(ink.right() + 1));
      piece.rect.x = left, piece.rect.width = right - left;
    };
    int from = cellOf(box.left());
    while (quoteCell(from - 1)) --from;
    int to = from;
    QString run;
    for (; quoteCell(to); ++to) run += marks.at(to);
    const bool alone = std::none_of(marks.begin(), marks.end(), [&](const auto& m) { return m.first >= to; });
    if (!run.isEmpty() && alone && rows[r].size() == 1) {
      // Its ink is quotes alone, whatever the engine made of them.
      if (first.text == run) continue;
      first.text = run;
      widen(first, reach(from, to), from);
      changed = true;
      continue;
    }
    if (run.size() > leadingQuotes(first.text)) {
      first.text = run + first.text.mid(leadingQuotes(first.text));
      widen(first, reach(from, to), from);
      changed = true;
    }
    int stop = cellOf(end.right());
    while (quoteCell(stop + 1)) ++stop;
    QString tail;
    int start = stop;
    for (; start >= to && quoteCell(start); --start) tail.prepend(marks.at(start));
    if (tail.size() > trailingQuotes(last.text)) {
      last.text = last.text.chopped(trailingQuotes(last.text)) + tail;
      widen(last, reach(start + 1, stop + 1), std::nullopt);
      changed = true;
    }
  }

  // Lines of quotes alone between two of the block's lines: blobs no row
  // reaches, all ticks, their tops level, in a run of cells.
  std::vector<std::vector<Piece>> added;
  for (size_t k = 1; k < grid.rows.size(); ++k) {
    QRect above, below;
    for (const Piece& p : rows[grid.rows[k - 1]]) above |= inImage(p.rect, H);
    for (const Piece& p : rows[grid.rows[k]]) below |= inImage(p.rect, H);
    if (below.top() - above.bottom() < 0.5 * grid.height) continue;
    std::vector<const Blob*> between;
    bool other = false;
    for (const Blob& b : blobs) {
      if (b.box.top() <= above.bottom() || b.box.bottom() >= below.top() || b.box.right() < grid.base - grid.pitch) continue;
      if (std::any_of(boxes.begin(), boxes.end(), [&](const QRect& r) { return r.adjusted(-1, -1, 1, 1).intersects(b.box); }))
        continue;
      // The underscores of the line above stand under its box.
      if (!b.tick && b.box.top() < above.bottom() + 0.35 * grid.height) continue;
      between.push_back(&b);
      other = other || !b.tick;
    }
    if (between.empty() || other) continue;
    int top = between.front()->box.top();
    QRect ink;
    for (const Blob* b : between) top = std::min(top, b->box.top()), ink |= b->box;
    // One line of marks: their tops level.
    if (ink.height() > 0.5 * grid.height) continue;
    const std::map<int, QString> marks = marksByCell(between, grid, cellOf, std::numeric_limits<int>::max());
    QString run;
    int expect = marks.begin()->first;
    bool inRun = true;
    for (const auto& [cell, mark] : marks) inRun = inRun && cell == expect++ && !mark.isEmpty(), run += mark;
    if (!inRun || run.size() > 6) continue;
    const double height = 0.8 * grid.height;
    const double left = grid.base + marks.begin()->first * grid.pitch;
    added.push_back({Piece{PixelRect{left, H - ink.top() - height, ink.right() + 1 - left, height}, run}});
  }
  for (auto& row : added) {
    const double mid = row.front().rect.midY();
    const auto at = std::find_if(rows.begin(), rows.end(), [&](const std::vector<Piece>& r) {
      return !r.empty() && r.front().rect.height > 0 && r.front().rect.midY() < mid;
    });
    rows.insert(at, std::move(row));
    changed = true;
  }
  return changed;
}

}  // namespace ocr
