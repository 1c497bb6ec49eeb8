// bench/ocr_bench --code: code and terminal lines in monospace faces (sizes
// 11-16 px, light editor and dark terminal, ratios 1 and 2) read on both
// roads (the engine's layout analysis, the text detector's lines): how many
// underscores, dots and colons come back, the look-alikes l/1/I/0/O/o, and
// the error rate.
// Run: build/bench/ocr_bench --code [--verbose]
#pragma once
#include <cstdio>
#include <map>

#include "bench/ocr_measure.h"
#include "bench/ocr_roads.h"
#include "tests/recognition/CodeLines.h"

namespace codebench {

struct Tally {
  codelines::Kept kept;
  measure::Errors errors;
};

inline QString percent(int part, int whole) {
  return whole ? QString::number(100.0 * part / whole, 'f', 1) : QStringLiteral("-");
}

inline QString cell(const codelines::Kept& k) {
  return QStringLiteral("%1/%2 %3%").arg(k.allKept()).arg(k.all()).arg(percent(k.allKept(), k.all()));
}

inline void run(bool verbose) {
  const QStringList english{QStringLiteral("en-US")};
  std::map<QString, Tally> by[2];  // layout, detector
  std::printf("code characters kept (_ . :) per sample\n%-22s %2s %-2s %-5s | %-16s | %-16s\n", "face", "px", "x",
              "bg", "layout", "detector");
  for (const QString& family : codelines::families())
    for (int px : {11, 13, 16})
      for (int ratio : {1, 2})
        for (bool dark : {false, true}) {
          const codelines::Sample s = codelines::render(family, px, ratio, dark);
          QStringList cells;
          for (int r = 0; r < 2; ++r) {
            const QString text = roads::recognizeOn(roads::kRoads[r], s.image, english).text();
            const codelines::Kept k = codelines::kept(s.truth, text);
            const measure::Errors e = measure::errors(s.truth, text, false);
            for (const QString& key : {QStringLiteral("all"), family, QStringLiteral("%1 px").arg(px, 2),
                                       QStringLiteral("ratio %1").arg(ratio), dark ? QStringLiteral("dark") : QStringLiteral("light")}) {
              by[r][key].kept += k;
              by[r][key].errors += e;
            }
            cells << cell(k);
            if (verbose && k.allKept() < k.all())
              std::printf("--- %s %d px x%d %s, %s road:\n%s\n", qPrintable(family), px, ratio, dark ? "dark" : "light",
                          roads::kRoads[r].name, qPrintable(text));
          }
          std::printf("%-22s %2d %-2d %-5s | %-16s | %-16s\n", qPrintable(family), px, ratio, dark ? "dark" : "light",
                      qPrintable(cells[0]), qPrintable(cells[1]));
          std::fflush(stdout);
        }
  ocr::setDetectorRoad(false);
  std::printf("\n%-22s | %-6s %-6s %-6s %-6s %-6s %-6s | %-6s %-6s %-6s %-6s %-6s %-6s\n", "set", "_", ".", ":",
              "all", "l1IO0o", "CER", "_", ".", ":", "all", "l1IO0o", "CER");
  std::printf("%-22s | %-41s | %s\n", "", "layout (kept %)", "detector (kept %)");
  for (const auto& [key, t] : by[0]) {
    QString row;
    for (int r = 0; r < 2; ++r) {
      const Tally& x = by[r][key];
      for (size_t c = 0; c < 3; ++c) row += QStringLiteral("%1 ").arg(percent(x.kept.kept[c], x.kept.total[c]), -6);
      row += QStringLiteral("%1 %2 %3").arg(percent(x.kept.allKept(), x.kept.all()), -6)
                 .arg(percent(x.kept.alikeKept, x.kept.alikeTotal), -6)
                 .arg(QString::number(100 * x.errors.rate(), 'f', 2), -6);
      if (r == 0) row += QStringLiteral(" | ");
    }
    std::printf("%-22s | %s\n", qPrintable(key), qPrintable(row));
  }
}

}  // namespace codebench
