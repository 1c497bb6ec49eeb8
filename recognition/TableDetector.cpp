#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "recognition/Recognizer.h"
#include "recognition/tables/TableColumns.h"

namespace Recognizer {

namespace {

using tables::Interval;
using tables::Standing;

// No screen is this wide; a wider grid means broken boxes, not a table, and
// must not make us allocate for it.
constexpr double kMaxColumns = 100000;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// The element at index count / 2 of the sorted values (the upper middle one).
template <typename T>
T median(std::vector<T> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool finite(const PixelRect& r) {
  return std::isfinite(r.x) && std::isfinite(r.y) && std::isfinite(r.width) && std::isfinite(r.height) &&
         std::isfinite(r.maxX()) && std::isfinite(r.maxY());
}

// A table of Arabic or Hebrew rows reads from the right: its rightmost column
// is its first.
bool readsRightToLeft(const std::vector<std::vector<Piece>>& rows) {
  size_t rtl = 0;
  for (const auto& row : rows) {
    QString text;
    for (const Piece& w : row) text += w.text;
    rtl += text::isRightToLeft(text);
  }
  return 2 * rtl > rows.size();
}

struct Row {
  QStringList cells;  // in reading order
  double top = -kInfinity;
  double bottom = kInfinity;
};

// Measured on where the words stand, whatever order the row reads in.
bool isSpanning(const Standing& words, const std::vector<Interval>& gaps, double h) {
  double rowMin = kInfinity;
  double rowMax = -kInfinity;
  for (const Piece* w : words) {
    rowMin = std::min(rowMin, w->rect.minX());
    rowMax = std::max(rowMax, w->rect.maxX());
  }
  double widest = words.size() < 2 ? 0 : -kInfinity;
  for (size_t i = 1; i < words.size(); ++i) {
    widest = std::max(widest, words[i]->rect.minX() - words[i - 1]->rect.maxX());
  }
  for (const Interval& g : gaps) {
    for (const Piece* w : words) {
      if (w->rect.minX() < g.lo && w->rect.maxX() > g.hi) return true;
    }
    if (rowMin < g.lo && g.hi < rowMax && widest < 0.6 * h) return true;
  }
  return false;
}

// The span (in reading order) a word belongs to: the largest overlap, else
// the nearest end to its centre; ties go to the span read first.
size_t bestSpan(const Piece& w, const std::vector<Interval>& spans) {
  size_t best = 0;
  double bestScore = -kInfinity;
  for (size_t s = 0; s < spans.size(); ++s) {
    const double overlap = std::min(spans[s].hi, w.rect.maxX()) - std::max(spans[s].lo, w.rect.minX());
    const double score = overlap > 0 ? overlap
                                     : -std::min(std::abs(w.rect.midX() - spans[s].lo),
                                                 std::abs(w.rect.midX() - spans[s].hi));
    if (score > bestScore) {
      bestScore = score;
      best = s;
    }
  }
  return best;
}

void appendText(QString& cell, const QString& text) {
  if (cell.isEmpty()) {
    cell = text;
  } else {
    cell += QLatin1Char(' ') + text;
  }
}

// `spans` in reading order; the words of a cell keep the row's reading order.
Row buildRow(const std::vector<Piece>& words, const Standing& standing, const std::vector<Interval>& gaps,
             const std::vector<Interval>& spans, double h) {
  Row row;
  for (size_t s = 0; s < spans.size(); ++s) row.cells << QString();
  if (isSpanning(standing, gaps, h)) {
    QStringList texts;
    for (const Piece& w : words) texts << w.text;
    row.cells[0] = texts.join(QLatin1Char(' '));
  } else {
    for (const Piece& w : words) appendText(row.cells[qsizetype(bestSpan(w, spans))], w.text);
  }
  for (const Piece& w : words) {
    row.top = std::max(row.top, w.rect.maxY());
    row.bottom = std::min(row.bottom, w.rect.minY());
  }
  return row;
}

qsizetype filledCount(const QStringList& cells) {
  return std::count_if(cells.begin(), cells.end(), [](const QString& c) { return !c.isEmpty(); });
}

// Lines of one cell standing well apart above or below the grid are the
// window's (its title, its buttons), not rows of the table. A heading or a
// listing's "total 56" stands at the rows' pitch, and stays. A file
// chooser's path bar stands 1.4 pitches above its list's header, measured
// on its letters once the icon before them is no text.
void trimWindowLines(std::vector<Row>& rows) {
  std::vector<double> pitches;
  for (size_t k = 1; k < rows.size(); ++k) pitches.push_back(rows[k - 1].top - rows[k].top);
  if (pitches.empty()) return;
  const double apart = 1.4 * median(pitches);
  auto windowLine = [&](const Row& r, double gap) { return filledCount(r.cells) <= 1 && gap >= apart; };
  while (rows.size() > 2 && windowLine(rows.front(), rows[0].top - rows[1].top)) rows.erase(rows.begin());
  while (rows.size() > 2 && windowLine(rows.back(), rows[rows.size() - 2].top - rows.back().top)) rows.pop_back();
}

// Folds continuation lines (an empty first cell, few cells, close below) into
// the row above.
std::vector<QStringList> mergeRows(const std::vector<Row>& rows, double h) {
  std::vector<double> vertical;
  for (size_t k = 1; k < rows.size(); ++k) vertical.push_back(rows[k - 1].bottom - rows[k].top);
  const double m = vertical.empty() ? 0 : median(vertical);
  const double cont = std::max(0.75 * m, 0.45 * h);

  std::vector<QStringList> out;
  for (size_t r = 0; r < rows.size(); ++r) {
    const QStringList& cells = rows[r].cells;
    const double gapAbove = r == 0 ? kInfinity : rows[r - 1].bottom - rows[r].top;
    const qsizetype spans = cells.size();
    if (out.empty() || !cells[0].isEmpty() || filledCount(cells) > spans / 2 || gapAbove >= cont) {
      out.push_back(cells);
      continue;
    }
    QStringList& last = out.back();
    for (qsizetype s = 0; s < spans; ++s) {
      if (last[s].isEmpty()) {
        last[s] = cells[s];
      } else if (!cells[s].isEmpty()) {
        last[s] += QLatin1Char(' ') + cells[s];
      }
    }
  }
  return out;
}

// A first or last column empty in most rows is a margin of labels or of
// fields (a form), not a column of a table.
bool edgeColumnsFilled(const std::vector<QStringList>& out) {
  const auto emptyIn = [&](qsizetype column) {
    return std::count_if(out.begin(), out.end(), [&](const QStringList& r) { return r[column].isEmpty(); });
  };
  const auto most = qsizetype(out.size() / 2);
  return emptyIn(0) <= most && emptyIn(out.front().size() - 1) <= most;
}

// A first column whose cells mostly end with a colon holds a form's labels,
// even when every field is filled: "Name: Ada Lovelace" is what a user pastes.
bool formLabels(const std::vector<QStringList>& out) {
  qsizetype filled = 0, labels = 0;
  for (const QStringList& row : out) {
    const QString cell = row.front().trimmed();
    if (cell.isEmpty()) continue;
    ++filled;
    if (cell.endsWith(QLatin1Char(':')) || cell.endsWith(QChar(0xFF1A))) ++labels;  // or the full-width colon
  }
  return 2 * labels > filled;
}

bool acceptable(const std::vector<QStringList>& out) {
  if (formLabels(out)) return false;
  const auto multi = std::count_if(out.begin(), out.end(), [](const QStringList& r) { return filledCount(r) >= 2; });
  if (multi < 2 || double(multi) < 0.5 * double(out.size())) return false;
  if (!edgeColumnsFilled(out)) return false;
  std::vector<long long> lengths;
  for (const QStringList& row : out) {
    for (const QString& cell : row) {
      if (!cell.isEmpty()) lengths.push_back(text::graphemeCount(cell));
    }
  }
  return median(lengths) <= 26;
}

// A rule drawn with characters ("+++-=====-====" under `dpkg -l`'s header,
// "-----" under a column's title): no letter, and mostly rule characters, as
// read ("+4+4-=" in a bitmap face). It is no row: it would take its own cells,
// and its long words straddle every column gap.
bool ruleRow(const std::vector<Piece>& row) {
  static const QString rules = QStringLiteral("-=+_~");
  qsizetype all = 0, rule = 0;
  for (const Piece& w : row)
    for (QChar c : w.text) {
      if (c.isLetter()) return false;
      if (c.isSpace()) continue;
      ++all;
      rule += rules.contains(c);
    }
  return all >= 3 && 3 * rule >= 2 * all;
}

}  // namespace

std::optional<Table> detectTable(const std::vector<std::vector<Piece>>& read) {
  std::vector<std::vector<Piece>> rows;
  std::copy_if(read.begin(), read.end(), std::back_inserter(rows), [](const auto& row) { return !ruleRow(row); });
  if (rows.size() < 2) return std::nullopt;

  std::vector<double> heights;
  double x0 = kInfinity;
  double x1 = -kInfinity;
  for (const auto& row : rows) {
    if (row.empty()) return std::nullopt;
    for (const Piece& w : row) {
      if (!finite(w.rect)) return std::nullopt;
      heights.push_back(w.rect.height);
      x0 = std::min(x0, w.rect.minX());
      x1 = std::max(x1, w.rect.maxX());
    }
  }
  const double h = median(heights);
  const double width = std::ceil(x1 - x0);
  if (!std::isfinite(width) || width < 1 || width > kMaxColumns) return std::nullopt;
  const int W = int(width);

  const std::vector<Standing> standing = tables::standing(rows);
  const std::vector<int> counts = tables::columnCover(rows, x0, W);
  std::vector<Interval> strips = tables::freeStrips(counts, int(rows.size() / 5), x0, h, tables::monospacePitch(rows));
  // A strip under half a height wide is a monospace space: a column gap
  // only where most rows have words on both sides of it (a listing's
  // fields), not where one row's long name runs on.
  std::erase_if(strips, [&](const Interval& s) {
    if (s.hi - s.lo >= 0.5 * h) return false;
    const auto across = std::count_if(standing.begin(), standing.end(), [&](const Standing& row) {
      return std::any_of(row.begin(), row.end(), [&](const Piece* w) { return w->rect.maxX() <= s.lo; }) &&
             std::any_of(row.begin(), row.end(), [&](const Piece* w) { return w->rect.minX() >= s.hi; });
    });
    return 2 * size_t(across) < standing.size();
  });
  const std::vector<Interval> gaps = tables::columnGaps(strips, standing);
  if (gaps.empty()) return std::nullopt;

  // The spans between the gaps, in reading order.
  std::vector<Interval> spans;
  double lo = x0;
  for (const Interval& g : gaps) {
    spans.push_back({lo, g.lo});
    lo = g.hi;
  }
  spans.push_back({lo, x1});
  if (readsRightToLeft(rows)) std::reverse(spans.begin(), spans.end());

  std::vector<Row> built;
  built.reserve(rows.size());
  for (size_t r = 0; r < rows.size(); ++r) built.push_back(buildRow(rows[r], standing[r], gaps, spans, h));

  trimWindowLines(built);
  std::vector<QStringList> out = mergeRows(built, h);
  if (!acceptable(out)) return std::nullopt;
  return Table{std::move(out)};
}

}  // namespace Recognizer
