#pragma once
// Lines of code and terminal output in monospace faces, rendered at run time,
// and a count of the characters that code depends on (underscores, dots,
// colons) that come back from a read. Shared by the recognition tests and
// bench/ocr_bench --code. Needs a QGuiApplication.
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <vector>

#include "tests/recognition/TextImages.h"

namespace codelines {

// Installed monospace faces with different shapes of "_", "." and ":":
// DejaVu's wide ones, the thin strokes of a Courier, and the Latin letters
// of Noto's CJK monospace face (a Source Code design).
inline const QStringList& families() {
  static const QStringList f{QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Nimbus Mono PS"),
                             QStringLiteral("Noto Sans Mono CJK SC")};
  return f;
}

inline const QStringList& texts() {
  static const QStringList t{
      QStringLiteral("def parse_config(file_path):"),
      QStringLiteral("    return os.path.join(base_dir, \"cache.db\")"),
      QStringLiteral("user@host:~/src/app$ ls -la build/"),
      QStringLiteral("timeout: 30"),
      QStringLiteral("log_level: debug_verbose"),
      QStringLiteral("result = a.b.c()"),
      QStringLiteral("l1 I0 O0 o"),
      QStringLiteral("/usr/share/doc/libqt6core6/README.txt"),
      QStringLiteral("MAX_RETRY_COUNT = 5; self.max_size = 1.25"),
      QStringLiteral("12:04:55 INFO server.start: listening on 0.0.0.0:8080"),
      QStringLiteral("std::vector<int> items; __init__.py"),
  };
  return t;
}

struct Sample {
  QString family;
  int px = 13;  // the face's size on a screen of ratio 1
  int ratio = 1;
  bool dark = false;
  QImage image;
  QString truth;
};

// A terminal or editor of `lines` in `family`: a light editor (white) or a
// dark terminal (near black), line pitch 1.2 of the face's spacing.
inline Sample render(const QString& family, int px, int ratio, bool dark, const QStringList& lines = texts()) {
  textimages::Style style = dark ? textimages::dark(px * ratio) : textimages::Style{};
  if (dark) style.ground = QColor(30, 30, 30), style.ink = QColor(204, 204, 204);
  style.family = family;
  style.px = px * ratio;
  style.margin = 8 * ratio;
  style.pitch = 1.2;
  return {family, px, ratio, dark, textimages::lines(lines, style).image, lines.join(QLatin1Char('\n'))};
}

// The characters counted, and the look-alikes reported beside them.
inline constexpr std::array<char, 3> kCodeChars{'_', '.', ':'};

struct Kept {
  std::array<int, 3> total{}, kept{};  // per kCodeChars
  int alikeTotal = 0, alikeKept = 0;   // l, 1, I, 0, O, o
  int all() const { return total[0] + total[1] + total[2]; }
  int allKept() const { return kept[0] + kept[1] + kept[2]; }
  Kept& operator+=(const Kept& o) {
    for (size_t i = 0; i < 3; ++i) total[i] += o.total[i], kept[i] += o.kept[i];
    alikeTotal += o.alikeTotal, alikeKept += o.alikeKept;
    return *this;
  }
};

// Whitespace collapsed: indentation and the spacing between words are not
// what is counted.
inline QList<QChar> flat(const QString& text) {
  const QString s = text.simplified();
  return QList<QChar>(s.begin(), s.end());
}

// Each code character of `truth` counts as kept when the cheapest alignment
// of `seen` with the truth (edit distance) matches it with the same character
// and nothing was put in or left out right beside it: a dot read as a comma,
// an underscore read as a space, and "parse _config" or "README. txt" lose it.
inline Kept kept(const QString& truth, const QString& seen) {
  const QList<QChar> a = flat(truth), b = flat(seen);
  const size_t n = size_t(a.size()), m = size_t(b.size());
  std::vector<std::vector<int>> d(n + 1, std::vector<int>(m + 1));
  for (size_t i = 0; i <= n; ++i) d[i][0] = int(i);
  for (size_t j = 0; j <= m; ++j) d[0][j] = int(j);
  for (size_t i = 1; i <= n; ++i)
    for (size_t j = 1; j <= m; ++j)
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[qsizetype(i - 1)] == b[qsizetype(j - 1)] ? 0 : 1)});
  // Per truth character: matched as itself, left out; per gap before truth
  // character i (i == n: after the last): something put in.
  std::vector<bool> matched(n, false), dropped(n, false), inserted(n + 1, false);
  size_t i = n, j = m;
  while (i > 0 || j > 0) {
    const bool same = i > 0 && j > 0 && a[qsizetype(i - 1)] == b[qsizetype(j - 1)];
    if (i > 0 && j > 0 && d[i][j] == d[i - 1][j - 1] + (same ? 0 : 1)) {
      matched[i - 1] = same;
      --i, --j;
    } else if (i > 0 && d[i][j] == d[i - 1][j] + 1) {
      dropped[--i] = true;
    } else {
      inserted[i] = true;
      --j;
    }
  }
  Kept k;
  static const QString alike = QStringLiteral("l1I0Oo");
  for (size_t i = 0; i < n; ++i) {
    const QChar c = a[qsizetype(i)];
    for (size_t t = 0; t < kCodeChars.size(); ++t)
      if (c == QLatin1Char(kCodeChars[t])) {
        const bool besideKept = !inserted[i] && !inserted[i + 1] && (i == 0 || !dropped[i - 1]) && (i + 1 == n || !dropped[i + 1]);
        ++k.total[t], k.kept[t] += matched[i] && besideKept;
      }
    if (alike.contains(c)) ++k.alikeTotal, k.alikeKept += matched[i];
  }
  return k;
}

}  // namespace codelines
