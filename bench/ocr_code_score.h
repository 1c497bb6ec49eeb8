// How well a reading of source code keeps its lines, as a paste needs them:
// the truth's non-blank lines aligned in order with the lines read (a line
// pairs with one whose words are nearly the same), then per truth line
// whether it came back exactly, indentation included, and whether its
// indentation did; and whether Python compiles the text read.
#pragma once
#include <QProcess>
#include <QString>
#include <QStringList>
#include <vector>

#include "tests/recognition/UiScreenScore.h"

namespace codescore {

struct Lines {
  int truth = 0, exact = 0, indented = 0, paired = 0;
  int compiled = 0, tried = 0;  // texts that compiled, of those tried
  Lines& operator+=(const Lines& o) {
    truth += o.truth, exact += o.exact, indented += o.indented, paired += o.paired;
    compiled += o.compiled, tried += o.tried;
    return *this;
  }
};

inline int leading(const QString& line) {
  int n = 0;
  while (n < line.size() && line[n] == QLatin1Char(' ')) ++n;
  return n;
}

inline QStringList nonBlank(const QString& text) {
  QStringList out;
  for (const QString& l : text.split(QLatin1Char('\n')))
    if (!l.trimmed().isEmpty()) out << l;
  return out;
}

// Two lines pair when their contents differ in at most a quarter of the truth's characters.
inline bool pairs(const QString& truth, const QString& read) {
  const QString a = truth.trimmed(), b = read.trimmed();
  return uiscreens::detail::distance(a, b) <= std::max<qsizetype>(1, a.size() / 4);
}

inline Lines lines(const QString& truth, const QString& read) {
  const QStringList t = nonBlank(truth), r = nonBlank(read);
  const size_t n = size_t(t.size()), m = size_t(r.size());
  // The most pairs in order (a longest common subsequence under `pairs`).
  std::vector<std::vector<int>> best(n + 1, std::vector<int>(m + 1, 0));
  for (size_t i = n; i-- > 0;)
    for (size_t j = m; j-- > 0;)
      best[i][j] = std::max({best[i + 1][j], best[i][j + 1],
                             pairs(t[qsizetype(i)], r[qsizetype(j)]) ? best[i + 1][j + 1] + 1 : 0});
  Lines out;
  out.truth = int(n);
  for (size_t i = 0, j = 0; i < n && j < m;) {
    if (pairs(t[qsizetype(i)], r[qsizetype(j)]) && best[i][j] == best[i + 1][j + 1] + 1) {
      ++out.paired;
      out.exact += t[qsizetype(i)] == r[qsizetype(j)];
      out.indented += leading(t[qsizetype(i)]) == leading(r[qsizetype(j)]);
      ++i, ++j;
    } else if (best[i][j] == best[i + 1][j]) {
      ++i;
    } else {
      ++j;
    }
  }
  return out;
}

// Whether python3 compiles `text` (false when there is no python3).
inline bool compiles(const QString& text, QString* error = nullptr) {
  QProcess p;
  p.start(QStringLiteral("python3"),
          {QStringLiteral("-c"), QStringLiteral("import sys; compile(sys.stdin.read(), 'read', 'exec')")});
  if (!p.waitForStarted(5000)) return false;
  p.write(text.toUtf8());
  p.closeWriteChannel();
  if (!p.waitForFinished(20000)) {
    p.kill();
    p.waitForFinished(1000);
    return false;
  }
  if (error) error->clear();
  if (error && p.exitCode() != 0) {
    const QStringList err = QString::fromUtf8(p.readAllStandardError()).trimmed().split(QLatin1Char('\n'));
    *error = err.mid(std::max<qsizetype>(0, err.size() - 3)).join(QStringLiteral(" / "));
  }
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

inline QString percent(int part, int whole) {
  return whole ? QString::number(100.0 * part / whole, 'f', 0) + QLatin1Char('%') : QStringLiteral("-");
}

// "exact 12/30 40%, indent 20/30 67%, compiles 0/1"
inline QString cell(const Lines& l) {
  QString s = QStringLiteral("exact %1/%2 %3, indent %4 %5")
                  .arg(l.exact).arg(l.truth).arg(percent(l.exact, l.truth))
                  .arg(l.indented).arg(percent(l.indented, l.truth));
  if (l.tried) s += QStringLiteral(", runs %1/%2").arg(l.compiled).arg(l.tried);
  return s;
}

}  // namespace codescore
