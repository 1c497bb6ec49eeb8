#include "recognition/words/CodeBars.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "recognition/words/CodeInk.h"

namespace ocr {

namespace {

enum class Cell : uint8_t { Empty, Bar, Ink };

// What the text's character `c` costs laid over `cell`, and what it becomes.
struct Step {
  int cost;
  QChar out;  // 0: nothing
};

bool dashLike(QChar c) {
  return c == QLatin1Char('-') || c == QChar(0x2014) || c == QChar(0x2013) || c == QLatin1Char(' ');
}

Step over(QChar c, Cell cell) {
  switch (cell) {
    case Cell::Empty: return {c == QLatin1Char(' ') ? 0 : c == QLatin1Char('_') ? 2 : 3, c};
    case Cell::Bar:
      if (c == QLatin1Char('_')) return {0, c};
      return dashLike(c) ? Step{1, QLatin1Char('_')} : Step{2, c};
    case Cell::Ink: return {c == QLatin1Char(' ') ? 3 : c == QLatin1Char('_') ? 2 : 0, c};
  }
  return {3, c};
}

bool quoteLike(QChar c) {
  const char16_t u = c.unicode();
  return u == '"' || u == '\'' || (u >= 0x2018 && u <= 0x201F);
}

// A character with no cell: a space, a dash, an underscore or a quote the
// engine put in goes (a bar or a quote read twice, a bar's end read as a
// dash); anything else stays.
Step alone(QChar c) {
  return dashLike(c) || c == QLatin1Char('_') || quoteLike(c) ? Step{1, QChar()} : Step{3, c};
}

// A cell with no character: a bar the engine left out is an underscore; an
// empty one, a run of spaces read as one.
Step missing(Cell cell) { return cell == Cell::Bar ? Step{1, QLatin1Char('_')} : Step{cell == Cell::Empty ? 1 : 3, QChar()}; }

// The text laid over the cells (the least costly way), with the underscores
// put in: the text, the cost, and the cost of the steps that are no repair
// (a character over a cell of another kind, a cell of ink unread).
struct Laid {
  QString text;
  int cost = 0, misfit = 0;
  bool dropped = false, skipped = false;  // a space dropped, an empty cell skipped
};

Laid layOver(const QString& text, const std::vector<Cell>& cells) {
  const size_t n = size_t(text.size()), m = cells.size();
  std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = 1; i <= n; ++i) cost[i][0] = cost[i - 1][0] + alone(text[qsizetype(i - 1)]).cost;
  for (size_t j = 1; j <= m; ++j) cost[0][j] = cost[0][j - 1] + missing(cells[j - 1]).cost;
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j)
      cost[i][j] = std::min({cost[i - 1][j - 1] + over(text[qsizetype(i - 1)], cells[j - 1]).cost,
                             cost[i - 1][j] + alone(text[qsizetype(i - 1)]).cost, cost[i][j - 1] + missing(cells[j - 1]).cost});
  Laid laid;
  laid.cost = cost[n][m];
  for (size_t i = n, j = m; i > 0 || j > 0;) {
    Step s{};
    if (i > 0 && j > 0 && cost[i][j] == cost[i - 1][j - 1] + over(text[qsizetype(i - 1)], cells[j - 1]).cost)
      s = over(text[qsizetype(--i)], cells[--j]);
    else if (i > 0 && cost[i][j] == cost[i - 1][j] + alone(text[qsizetype(i - 1)]).cost)
      s = alone(text[qsizetype(--i)]), laid.dropped = laid.dropped || text[qsizetype(i)] == QLatin1Char(' ');
    else
      s = missing(cells[--j]), laid.skipped = laid.skipped || cells[j] == Cell::Empty;
    if (!s.out.isNull()) laid.text.prepend(s.out);
    if (s.cost >= 2) laid.misfit += s.cost;
  }
  return laid;
}

}  // namespace

bool restoreUnderscores(std::vector<std::vector<Piece>>& rows, const CodeGrid& grid, const QImage& image) {
  if (grid.rows.empty() || grid.pitch < 4 || grid.height < 6 || image.isNull()) return false;
  const QImage grey8 = image.format() == QImage::Format_Grayscale8 ? image : image.convertToFormat(QImage::Format_Grayscale8);
  const int H = grey8.height();
  const double h = grid.height;
  QRect span;
  for (size_t r : grid.rows)
    for (const Piece& p : rows[r]) span |= inImage(p.rect, H);
  const QRect area = QRect(QPoint(int(grid.base - 4 * grid.pitch), span.top()), QPoint(span.right() + int(2 * grid.pitch), span.bottom() + int(h))) &
                     grey8.rect();
  if (area.isEmpty()) return false;
  const cv::Mat ink = inkOf(grey8, area);
  if (ink.empty()) return false;
  // The edges of the cells: in a monospace face glyphs stand in the middle
  // of theirs, and the columns between them hold the least ink. The pitch
  // the lines' widths tell is a little off at times (3 % over 30 cells is a
  // cell): the one with the cleanest edges is taken, and where they are.
  std::vector<int> columns(size_t(ink.cols), 0);
  for (int x = 0; x < ink.cols; ++x) columns[size_t(x)] = cv::countNonZero(ink.col(x));
  constexpr int kBins = 16;
  double pitch = grid.pitch, edge = 0;
  long cleanest = -1;
  for (int step = -20; step <= 20; ++step) {
    const double p = grid.pitch * (1 + 0.0015 * step);
    std::vector<long> folded(kBins, 0);
    for (int x = 0; x < ink.cols; ++x) {
      const double phase = (area.x() + x - grid.base) / p;
      folded[size_t(std::clamp(int((phase - std::floor(phase)) * kBins), 0, kBins - 1))] += columns[size_t(x)];
    }
    // The quarter of a cell with the least ink, around its edge.
    for (int from = 0; from < kBins; ++from) {
      long sum = 0;
      for (int b = 0; b < kBins / 4; ++b) sum += folded[size_t((from + b) % kBins)];
      if (cleanest < 0 || sum < cleanest || (sum == cleanest && std::abs(p - grid.pitch) < std::abs(pitch - grid.pitch)))
        cleanest = sum, pitch = p, edge = (from + kBins / 8.0) / kBins;
    }
  }
  edge -= std::floor(edge);
  auto cellOf = [&](double x) { return int(std::floor((x - grid.base) / pitch - edge)) + 1; };
  auto cellStart = [&](int k) { return grid.base + (edge + k - 1) * pitch; };

  bool changed = false;
  int above = -1;  // the foot of the row above
  for (size_t r : grid.rows) {
    std::vector<Piece>& row = rows[r];
    QRect box;
    QStringList parts;
    for (const Piece& p : row) box |= inImage(p.rect, H), parts << p.text;
    // A detector's box may reach up over the row above.
    const int own = std::max(box.top(), above + 1);
    above = box.bottom();
    // The row's text as it is pasted: its pieces one space apart.
    const QString read = parts.join(QLatin1Char(' '));
    // The band of the line, down to under its baseline where underscores are.
    const int top = own - area.y();
    const int bottom = std::min(ink.rows - 1, top + int(std::lround(1.1 * h)));
    if (top < 0 || bottom - top < 0.8 * h) continue;
    auto kind = [&](int c) {
      const int x0 = int(std::lround(cellStart(c))) + 1 - area.x(), x1 = int(std::lround(cellStart(c + 1))) - 2 - area.x();
      if (x0 < 0 || x1 >= ink.cols || x1 < x0) return Cell::Ink;
      const cv::Mat in = ink(cv::Range(top, bottom + 1), cv::Range(x0, x1 + 1));
      std::vector<cv::Point> at;
      cv::findNonZero(in, at);
      if (at.empty()) return Cell::Empty;
      int y0 = in.rows, y1 = -1, cols = 0;
      for (const cv::Point& p : at) y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
      for (int x = 0; x < in.cols; ++x) cols += cv::countNonZero(in.col(x)) > 0;
      // Nothing right under it: the flat top of a letter of the row below
      // ("T", "E") runs on down its stem.
      const int under = top + y1 + 1;
      const bool alone = under >= ink.rows || cv::countNonZero(ink(cv::Range(under, under + 1), cv::Range(x0, x1 + 1))) == 0;
      const bool flat = y1 - y0 + 1 <= std::max(2.0, 0.2 * h) && y0 >= 0.55 * h && cols >= 0.6 * in.cols && alone;
      return flat ? Cell::Bar : Cell::Ink;
    };
    int first = cellOf(box.left() + 1), last = cellOf(box.right() - 1);
    // Ink beside the row the engine's boxes left out of it (bars, a last
    // quote): the text is laid over all of the row's cells.
    const int leftmost = cellOf(area.left()) + 1, rightmost = cellOf(area.right()) - 1;
    while (first - 1 >= leftmost && kind(first - 1) != Cell::Empty) --first;
    while (last + 1 <= rightmost && kind(last + 1) != Cell::Empty) ++last;
    while (first <= last && kind(first) == Cell::Empty) ++first;
    while (last >= first && kind(last) == Cell::Empty) --last;
    if (last < first || last - first > 400) continue;
    std::vector<Cell> cells;
    for (int c = first; c <= last; ++c) cells.push_back(kind(c));
    const Laid laid = layOver(read, cells);
    const QString& text = laid.text;
    const int cost = laid.cost;
    // Laid over its cells nearly as it is: a few underscores, spaces and
    // quotes, and at most one character misread.
    // A space dropped in one place and an empty cell left in another: the
    // text does not lie over these cells.
    if (text == read || cost > std::max(4.0, read.size() / 6.0) || laid.misfit > 3 || (laid.dropped && laid.skipped))
      continue;
    // One piece now, over the bars it took in: an underscore fills its
    // cell, its box starts where a letter's ink would.
    PixelRect united = row.front().rect;
    for (const Piece& p : row) {
      const double x0 = std::min(united.minX(), p.rect.minX()), y0 = std::min(united.minY(), p.rect.minY());
      united = {x0, y0, std::max(united.maxX(), p.rect.maxX()) - x0, std::max(united.maxY(), p.rect.maxY()) - y0};
    }
    const double left = first < cellOf(box.left() + 1) ? std::min(united.minX(), cellStart(first) + 0.1 * pitch) : united.minX();
    const double right = last > cellOf(box.right() - 1) ? std::max(united.maxX(), cellStart(last + 1)) : united.maxX();
    united.x = left, united.width = right - left;
    row = {Piece{united, text}};
    changed = true;
  }
  return changed;
}

}  // namespace ocr
