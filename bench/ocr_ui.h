// bench/ocr_bench --ui: application dialogs made of real widgets, read by the
// accurate road and by the tesseract command line: words found (order-free),
// junk tokens per dialog, and tables that the chrome made up.
#pragma once
#include <QTemporaryDir>
#include <map>

#include "bench/ocr_measure.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/UiScreenScore.h"
#include "tests/recognition/UiScreens.h"

namespace uibench {

struct Totals {
  int expected = 0, found = 0, junk = 0, dialogs = 0, tables = 0;
  void add(const uiscreens::Score& s, bool badTable) {
    expected += s.expected, found += s.found, junk += int(s.junk.size()), ++dialogs, tables += badTable;
  }
  QString line() const {
    return QStringLiteral("%1/%2 words (%3 %), %4 junk (%5 per dialog), %6 made-up tables")
        .arg(found).arg(expected).arg(expected ? 100.0 * found / expected : 0, 0, 'f', 1).arg(junk)
        .arg(dialogs ? double(junk) / dialogs : 0, 0, 'f', 2).arg(tables);
  }
};

inline QString name(const uiscreens::Screen& s) {
  return QStringLiteral("%1-%2%3%4").arg(QLatin1String(s.language->id), QLatin1String(uiscreens::kindName(s.kind)),
                                         s.ratio == 2 ? QStringLiteral("@2") : QString(),
                                         s.dark ? QStringLiteral("-dark") : QString());
}

// `verbose` prints what was missed and the junk of every dialog; `saveTo`
// keeps the images.
inline void run(const QStringList& only, bool verbose, const QString& saveTo) {
  const bool cli = measure::haveCommandLine();
  QTemporaryDir dir;
  std::map<QString, Totals> ours, theirs;
  std::printf("%-22s | %-34s | %s\n", "dialog", "tarvok: found/all junk ms", cli ? "command line: found/all junk" : "");
  for (const uiscreens::Screen& s : uiscreens::all(only)) {
    const QString id = name(s);
    if (!saveTo.isEmpty()) s.image.save(saveTo + QLatin1Char('/') + id + QStringLiteral(".png"));
    (void)Recognizer::recognize(s.image, s.language->prefer, true);  // engines started
    const double t0 = measure::nowMs();
    const Recognized r = Recognizer::recognize(s.image, s.language->prefer, true);
    const double ms = measure::nowMs() - t0;
    const uiscreens::Score sc = uiscreens::score(s.expected, r.text(), s.language->spaceless);
    const bool badTable = uiscreens::madeUpColumns(r.table, s.expected) > 0;
    QString theirLine;
    if (cli) {
      const QString png = dir.filePath(id + QStringLiteral(".png"));
      s.image.save(png);
      const uiscreens::Score c =
          uiscreens::score(s.expected, measure::commandLine(png, QLatin1String(s.language->cli)), s.language->spaceless);
      theirs[QStringLiteral("all")].add(c, false);
      theirs[QLatin1String(s.language->id)].add(c, false);
      theirLine = QStringLiteral("%1/%2 %3").arg(c.found).arg(c.expected).arg(c.junk.size());
    }
    for (const QString& key : {QStringLiteral("all"), QString::fromLatin1(s.language->id),
                               QString::fromLatin1(uiscreens::kindName(s.kind)),
                               s.ratio == 2 ? QStringLiteral("ratio 2") : s.dark ? QStringLiteral("dark") : QStringLiteral("light")})
      ours[key].add(sc, badTable);
    std::printf("%-22s | %3d/%-3d %3lld %6.0f%s | %s\n", qPrintable(id), sc.found, sc.expected,
                (long long)sc.junk.size(), ms, badTable ? " TABLE" : "      ", qPrintable(theirLine));
    if (verbose && (!sc.missed.isEmpty() || !sc.junk.isEmpty()))
      std::printf("    missed: %s\n    junk: %s\n    read: %s\n", qPrintable(sc.missed.join(QStringLiteral(" · "))),
                  qPrintable(sc.junk.join(QStringLiteral(" · "))),
                  qPrintable(r.text().replace(QLatin1Char('\n'), QStringLiteral(" ⏎ "))));
    std::fflush(stdout);
  }
  std::printf("\n");
  for (const auto& [key, t] : ours)
    std::printf("%-10s tarvok: %s%s\n", qPrintable(key), qPrintable(t.line()),
                theirs.count(key) ? qPrintable(QStringLiteral("\n%1 command line: %2").arg(QString(), -10).arg(theirs[key].line()))
                                  : "");
}

}  // namespace uibench
