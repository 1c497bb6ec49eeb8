#pragma once
// How well a reading of a dialog (UiScreens.h) went, order-free: the
// widgets' words found, and the junk: what was read that is neither one of
// those words nor a misreading of one (frames, arrows, boxes and icons taken
// for text).
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include "recognition/base/Result.h"
#include <algorithm>
#include <optional>
#include <vector>

namespace uiscreens {

struct Score {
  int expected = 0;
  int found = 0;
  QStringList missed;
  QStringList junk;
};

namespace detail {

// Label colons are decoration, in either width.
inline bool colon(QChar c) { return c == QLatin1Char(':') || c == QChar(0xFF1A); }
inline QString norm(QString s) {
  s = s.normalized(QString::NormalizationForm_C);
  while (!s.isEmpty() && colon(s.back())) s.chop(1);
  while (!s.isEmpty() && colon(s.front())) s.remove(0, 1);
  return s;
}

inline int distance(const QString& a, const QString& b) {
  std::vector<int> prev(size_t(b.size()) + 1), cur(size_t(b.size()) + 1);
  for (size_t j = 0; j < prev.size(); ++j) prev[j] = int(j);
  for (qsizetype i = 1; i <= a.size(); ++i) {
    cur[0] = int(i);
    for (qsizetype j = 1; j <= b.size(); ++j)
      cur[size_t(j)] = std::min({prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1,
                                 prev[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1)});
    std::swap(prev, cur);
  }
  return prev[size_t(b.size())];
}

inline int shared(const QString& a, const QString& b) {
  int n = 0;
  for (QChar c : a) n += b.contains(c);
  return n;
}

// A leftover that is a misreading of a word not found, or a piece of a word
// the engine cut in two, is not junk.
inline bool misreading(const QString& token, const QStringList& unfound, const QStringList& all, bool spaceless) {
  for (const QString& w : all)
    if (token.size() >= 3 && w.contains(token)) return true;
  for (const QString& w : unfound) {
    if (spaceless ? 2 * shared(token, w) >= token.size()
                  : distance(token, w) <= std::max<qsizetype>(1, w.size() / 3) && shared(token, w) > 0)
      return true;
  }
  return false;
}

}  // namespace detail

inline Score score(const QStringList& expectedTexts, const QString& read, bool spaceless) {
  static const QRegularExpression space(QStringLiteral("\\s+"));
  Score s;
  QStringList expected;
  for (const QString& t : expectedTexts) {
    if (spaceless) expected << detail::norm(QString(t).remove(space));
    else
      for (const QString& w : t.split(space, Qt::SkipEmptyParts)) expected << detail::norm(w);
  }
  expected.removeAll(QString());
  s.expected = int(expected.size());

  QStringList leftovers;
  QStringList unfound;
  if (spaceless) {
    // Longest first, so that a short word cannot take part of a longer one.
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return a.size() > b.size(); });
    QString hay;
    for (const QString& line : read.split(QLatin1Char('\n'))) hay += detail::norm(QString(line).remove(space)) + QLatin1Char('\n');
    for (const QString& w : expected) {
      const qsizetype at = hay.indexOf(w);
      if (at < 0) {
        unfound << w;
        continue;
      }
      hay.replace(at, w.size(), QStringLiteral("\n"));
      ++s.found;
    }
    for (const QString& part : hay.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) leftovers << detail::norm(part);
    leftovers.removeAll(QString());
  } else {
    for (const QString& w : read.split(space, Qt::SkipEmptyParts)) leftovers << detail::norm(w);
    leftovers.removeAll(QString());
    for (const QString& w : expected) {
      if (leftovers.removeOne(w)) ++s.found;
      else unfound << w;
    }
  }
  s.missed = unfound;
  for (const QString& t : leftovers)
    if (!detail::misreading(t, unfound, expected, spaceless)) s.junk << t;
  return s;
}

// Columns of a table that hold no word of the dialog, only what its chrome
// made up ("v", "|").
inline int madeUpColumns(const std::optional<Table>& table, const QStringList& expectedTexts) {
  if (!table) return 0;
  const QString all = expectedTexts.join(QLatin1Char(' '));
  int madeUp = 0;
  for (int c = 0; c < table->columnCount(); ++c) {
    bool filled = false, real = false;
    for (const QStringList& row : table->rows) {
      if (c >= row.size() || row[c].trimmed().isEmpty()) continue;
      filled = true;
      for (const QString& token : row[c].split(QLatin1Char(' '), Qt::SkipEmptyParts))
        real = real || (detail::norm(token).size() > 0 && all.contains(detail::norm(token)));
    }
    madeUp += filled && !real;
  }
  return madeUp;
}

}  // namespace uiscreens
