// bench/ocr_bench --ui: application dialogs made of real widgets, read by the
// accurate road and by the tesseract command line: words found (order-free),
// junk tokens per dialog, and tables that the chrome made up.
#pragma once
#include <QElapsedTimer>
#include <QScreen>
#include <QTemporaryDir>
#include <map>

#include "bench/ocr_measure.h"
#include "recognition/clean/Prepare.h"
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

// Arabic lines with Latin names and numbers in them, right-aligned as an
// Arabic window shows them: error rate of the accurate road (an Arabic user,
// English beside) and of the command line with -l ara.
inline void arabicWithLatin() {
  const QStringList lines{
      QString::fromUtf8("يستخدم الفريق برنامج Excel لإعداد التقارير الشهرية"),
      QString::fromUtf8("افتح ملف Report.pdf ثم اضغط على زر Print للطباعة"),
      QString::fromUtf8("تم تحديث Windows 11 إلى الإصدار الجديد"),
      QString::fromUtf8("أرسل الرابط عبر Slack أو Microsoft Teams إلى الزملاء"),
      QString::fromUtf8("يعمل التطبيق على Linux و macOS بنفس الإعدادات")};
  const bool cli = measure::haveCommandLine();
  QTemporaryDir dir;
  measure::Errors ours, theirs;
  int n = 0;
  for (const int px : {13, 16})
    for (const bool dark : {false, true}) {
      QFont font(QStringLiteral("Noto Sans Arabic"));
      font.setPixelSize(px);
      const int pitch = int(QFontMetrics(font).lineSpacing() * 1.6);
      QImage image(48 * px, pitch * int(lines.size()) + 24, QImage::Format_RGB32);
      image.fill(dark ? QColor(32, 33, 36) : Qt::white);
      QPainter p(&image);
      p.setFont(font);
      p.setPen(dark ? QColor(232, 234, 237) : QColor(32, 33, 36));
      for (int i = 0; i < lines.size(); ++i)
        p.drawText(QRect(12, 12 + pitch * i, image.width() - 24, pitch), Qt::AlignRight | Qt::AlignVCenter, lines[i]);
      p.end();
      const Recognized r = Recognizer::recognize(image, {QStringLiteral("ar-SA"), QStringLiteral("en-US")}, true);
      const measure::Errors e = measure::errors(lines.join(QLatin1Char('\n')), r.text(), false);
      measure::Errors c;
      if (cli) {
        const QString png = dir.filePath(QStringLiteral("ar%1.png").arg(n++));
        image.save(png);
        c = measure::errors(lines.join(QLatin1Char('\n')), measure::commandLine(png, QStringLiteral("ara")), false);
      }
      ours += e, theirs += c;
      std::printf("Arabic with Latin words, %d px %s: CER %.2f%% (command line -l ara %.2f%%)\n", px, dark ? "dark" : "light",
                  100 * e.rate(), 100 * c.rate());
    }
  std::printf("Arabic with Latin words, all: CER %.2f%% (command line -l ara %.2f%%)\n", 100 * ours.rate(), 100 * theirs.rate());
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
    if (!saveTo.isEmpty()) {
      s.image.save(saveTo + QLatin1Char('/') + id + QStringLiteral(".png"));
      ocr::prepare(s.image).image.save(saveTo + QLatin1Char('/') + id + QStringLiteral("-prepared.png"));
    }
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
  arabicWithLatin();
  std::printf("\n");
  for (const auto& [key, t] : ours)
    std::printf("%-10s tarvok: %s%s\n", qPrintable(key), qPrintable(t.line()),
                theirs.count(key) ? qPrintable(QStringLiteral("\n%1 command line: %2").arg(QString(), -10).arg(theirs[key].line()))
                                  : "");
}

// Real windows (run under tests/support/xsession with QT_QPA_PLATFORM=xcb):
// a few dialogs shown by the window manager, title bar and frame included,
// grabbed from the screen as a capture grabs them, saved into `dir` and read.
inline void windows(const QString& dir) {
  struct Pick {
    const char* language;
    uiscreens::Kind kind;
    bool dark;
  };
  for (const Pick& p : {Pick{"en", uiscreens::Kind::Print, false}, Pick{"de", uiscreens::Kind::Files, true},
                        Pick{"ar", uiscreens::Kind::Settings, false}}) {
    uiscreens::Screen s;
    s.ratio = 1;
    std::unique_ptr<QWidget> dialog = uiscreens::build(uiscreens::language(p.language), p.kind, p.dark, s);
    dialog->setWindowTitle(QString::fromUtf8(p.language) + QLatin1Char(' ') + QLatin1String(uiscreens::kindName(p.kind)));
    dialog->move(60, 60);
    dialog->show();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 800) QApplication::processEvents(QEventLoop::AllEvents, 50);
    s.expected = uiscreens::detail::visibleTexts(dialog.get());
    const QRect frame = dialog->frameGeometry().adjusted(-12, -12, 12, 12);
    s.image = QGuiApplication::primaryScreen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).toImage();
    const QString id = name(s) + QStringLiteral("-window");
    s.image.save(dir + QLatin1Char('/') + id + QStringLiteral(".png"));
    const Recognized r = Recognizer::recognize(s.image, s.language->prefer, true);
    const uiscreens::Score sc = uiscreens::score(s.expected, r.text(), s.language->spaceless);
    std::printf("== %s %dx%d: %d/%d words, junk: %s\n%s\n\n", qPrintable(id), s.image.width(), s.image.height(), sc.found,
                sc.expected, qPrintable(sc.junk.join(QStringLiteral(" · "))), qPrintable(r.text()));
  }
}

}  // namespace uibench
