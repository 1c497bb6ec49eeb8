// bench/ocr_bench --programs (and --listings alone): listings in a real xterm,
// `ls -l /usr/bin | head -40` and `dpkg -l | head -30` in its default bitmap
// face and in DejaVu Sans Mono at 11, 12 and 13 px, each read as a window
// pick (frame and window) and as a drag (the text block and a few pixels) on
// both roads and by the command line: words found of what a user pastes (the
// table's cells when one was found, else the lines), junk, and the shape.
// Rules ("+++-===") count as neither.
// Run: TARVOK_XSESSION_SCREEN=1920x1200x24 tests/support/xsession env QT_QPA_PLATFORM=xcb OMP_THREAD_LIMIT=1
//        build/bench/ocr_bench --listings [--only NAME] [--verbose] [--save DIR]
// (a screen that wide holds dpkg's 170 columns in DejaVu Sans Mono 13 px: a
// listing piped through head is as wide as its widest field, whatever COLUMNS says)
#pragma once
#include <QTemporaryDir>
#include <cstdio>

#include "bench/ocr_measure.h"
#include "bench/ocr_roads.h"
#include "tests/recognition/TerminalListings.h"
#include "tests/recognition/UiScreenScore.h"

namespace listings {

struct Tally {
  int expected = 0, found = 0, junk = 0, reads = 0, lines = 0;
  QString line() const {
    return QStringLiteral("%1/%2 words (%3 %), %4 junk per 40 lines")
        .arg(found).arg(expected).arg(expected ? 100.0 * found / expected : 0, 0, 'f', 1)
        .arg(lines ? 40.0 * junk / lines : 0, 0, 'f', 1);
  }
};

inline void run(bool verbose, const QString& saveTo, const QString& only = {}) {
  const bool cli = measure::haveCommandLine();
  const bool detector = ocr::detectorRoad();
  const QStringList english{QStringLiteral("en-US")};
  const QString title = QStringLiteral("alex@build-01: ~");
  struct Listing {
    const char* name;
    const char* command;
  };
  const Listing commands[] = {{"ls", "ls -l /usr/bin | head -40"}, {"dpkg", "dpkg -l | head -30"}};
  QTemporaryDir dir;
  Tally totals[3];  // layout, detector, command line
  std::printf("\nlistings in xterm: words found/expected, junk, shape of what is pasted\n%-16s %-6s | %-26s | %-26s | %s\n",
              "window", "pick", "layout", "detector", "command line");
  for (const termlistings::Face& face : {termlistings::fixedFace(), termlistings::dejaVu(11), termlistings::dejaVu(12),
                                         termlistings::dejaVu(13)})
    for (const Listing& l : commands) {
      const QString name = face.name + QLatin1Char('-') + QLatin1String(l.name);
      if (!name.contains(only)) continue;
      const termlistings::Shot shot = termlistings::shoot(face, QLatin1String(l.command), title, dir.path(), 172, 44);
      if (!shot.error.isEmpty()) {
        std::printf("%-16s skipped: %s\n", qPrintable(name), qPrintable(shot.error));
        continue;
      }
      const QString truth = termlistings::withoutRules(shot.truth);
      const int lines = int(truth.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
      for (bool picked : {false, true}) {
        const QImage& image = picked ? shot.picked : shot.dragged;
        const QString png = (saveTo.isEmpty() ? dir.path() : saveTo) + QLatin1Char('/') + name +
                            (picked ? QStringLiteral("-picked.png") : QStringLiteral("-dragged.png"));
        image.save(png);
        const QStringList expected = picked ? QStringList{title, truth} : QStringList{truth};
        QStringList cells, details;
        for (int r = 0; r < 3; ++r) {
          QString text, shape = QStringLiteral("-");
          if (r < 2) {
            const Recognized result = roads::recognizeOn(roads::kRoads[r], image, english);
            text = termlistings::copied(result);
            shape = termlistings::shape(result);
          } else if (cli) {
            text = measure::commandLine(png, QStringLiteral("eng"));
          }
          const uiscreens::Score sc = uiscreens::score(expected, termlistings::withoutRules(text), false);
          Tally& t = totals[r];
          t.expected += sc.expected, t.found += sc.found, t.junk += int(sc.junk.size()), ++t.reads, t.lines += lines;
          cells << QStringLiteral("%1/%2 %3 %4").arg(sc.found).arg(sc.expected).arg(sc.junk.size()).arg(r < 2 ? shape : QString());
          details << QStringLiteral("  %1 missed: %2\n  %1 junk: %3\n  %1 read:\n%4\n")
                         .arg(r < 2 ? QLatin1String(roads::kRoads[r].name) : QLatin1String("command line"),
                              sc.missed.join(QStringLiteral(" · ")), sc.junk.join(QStringLiteral(" · ")), text);
        }
        std::printf("%-16s %-6s | %-26s | %-26s | %s\n", qPrintable(name), picked ? "window" : "drag",
                    qPrintable(cells[0]), qPrintable(cells[1]), qPrintable(cells[2]));
        if (verbose) std::printf("%s", qPrintable(details.join(QString())));
        std::fflush(stdout);
      }
    }
  ocr::setDetectorRoad(detector);
  std::printf("\nlisting totals\n");
  for (int r = 0; r < 3; ++r)
    std::printf("%-12s %s\n", r < 2 ? roads::kRoads[r].name : "command line", qPrintable(totals[r].line()));
}

}  // namespace listings
