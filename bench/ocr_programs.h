// bench/ocr_bench --programs: windows of real programs made elsewhere (zenity's
// GTK form, light and dark, its file chooser and a list; xterm, light and
// dark; mousepad, light and dark; galculator), each started in a home of its
// own, framed by the window manager, grabbed from the screen as a window pick
// takes it (frame and window) or as a drag (over the window's inside or a part
// of it, or from a few pixels outside the frame), and read by the engine's
// layout analysis, by the text detector's lines and by `tesseract IMAGE - -l
// eng`: words found, junk, the table's shape, and for terminal and editor the
// underscores, dots and colons kept. The Python module in the editor is read as the window and
// as a drag around its code, on the fast path too (bench/ocr_python_window.h).
// Run: tests/support/xsession env QT_QPA_PLATFORM=xcb OMP_THREAD_LIMIT=1 build/bench/ocr_bench --programs [--only NAME] [--verbose] [--save DIR]
#pragma once
#include <QTemporaryDir>
#include <cstdio>

#include "bench/ocr_code.h"
#include "bench/ocr_measure.h"
#include "bench/ocr_program_windows.h"
#include "bench/ocr_python_window.h"
#include "bench/ocr_roads.h"
#include "tests/recognition/CodeLines.h"
#include "tests/recognition/UiScreenScore.h"
#include "tests/support/XPrograms.h"

namespace programs {

// One window as it was grabbed, with the truth of its code.
struct Shot {
  QImage image;
  QString code;
  bool steady = false;
};

// Starts the program in a fresh home, grabs its window, ends it; a null
// image (and a line saying why) when it cannot.
inline Shot shoot(const Program& p, const QString& root) {
  Shot shot;
  // The home folder's name is what the file chooser's path bar shows.
  const QString home = root + QLatin1Char('/') + p.name + QStringLiteral("/alex");
  const QString runtime = root + QLatin1Char('/') + p.name + QStringLiteral("/run");
  if (!prepareHome(home, p.keyfile) || !QDir().mkpath(runtime) ||
      !QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)) {
    std::printf("%-18s skipped: its home could not be prepared in %s\n", qPrintable(p.name), qPrintable(root));
    return shot;
  }
  xwindows::Bus bus;
  const QProcessEnvironment env = environment(home, runtime, bus.address(), p.env);
  if (p.code == Code::Terminal) {
    QProcess print;
    print.setProcessEnvironment(env);
    print.start(QStringLiteral("sh"), {home + QStringLiteral("/show.sh"), QStringLiteral("print")});
    print.waitForFinished(10000);
    shot.code = QString::fromUtf8(print.readAllStandardOutput());
  } else if (p.code == Code::Editor) {
    shot.code = sourceText();
  } else if (p.code == Code::Python) {
    shot.code = pythonText();
  }
  // The pointer out of the way: a button under it shows its tip.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  xwindows::tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.right()),
                                             QString::number(screen.bottom())});
  QStringList args;
  for (const QString& a : p.args) args << QString(a).replace(QStringLiteral("%h"), home);
  xwindows::Started program(p.program, args, env, home);
  const QString id = program.running() ? xwindows::findWindow(program.pid(), 20000) : QString();
  if (id.isEmpty()) {
    std::printf("%-18s skipped: %s showed no window\n", qPrintable(p.name), qPrintable(p.program));
    return shot;
  }
  if (p.size.isValid())
    xwindows::tool(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), id, QString::number(p.size.width()),
                                               QString::number(p.size.height())});
  // A drag from five pixels outside the frame, or over the inside or a part of it.
  constexpr int kBeyond = 5;
  const xwindows::Area area = [&p](const QRect& inside, const QMargins& frame) {
    switch (p.grab) {
      case Grab::Beyond:
        return inside.marginsAdded(frame + QMargins(kBeyond, kBeyond, kBeyond, kBeyond));
      case Grab::Inside:
        return p.part.isValid() ? p.part.translated(inside.topLeft()) & inside : inside;
      case Grab::Frame:
        break;
    }
    return xwindows::framed(inside, frame);
  };
  shot.image = xwindows::steadyGrab(id, 1000, 200, 10000, &shot.steady, area);
  return shot;
}

// The shape of a table as columns x rows, "-" for none.
inline QString shape(const std::optional<Table>& t) {
  return t ? QStringLiteral("%1x%2").arg(t->columnCount()).arg(t->rows.size()) : QStringLiteral("-");
}

struct Total {
  int expected = 0, found = 0, junk = 0, windows = 0, tablesWrong = 0;
  codelines::Kept kept;
  QString line() const {
    return QStringLiteral("%1/%2 words (%3 %), %4 junk/window, code chars %5")
        .arg(found).arg(expected).arg(expected ? 100.0 * found / expected : 0, 0, 'f', 1)
        .arg(windows ? double(junk) / windows : 0, 0, 'f', 2).arg(codebench::cell(kept)) +
           QStringLiteral(", %1 tables wrong").arg(tablesWrong);
  }
};

inline constexpr const char* kNeedsDisplay =
    "--programs needs an X display and QT_QPA_PLATFORM=xcb: run it under tests/support/xsession";

// An X display under the xcb platform and the helpers; says what is missing.
inline bool ready() {
  if (qEnvironmentVariableIsEmpty("DISPLAY") || QGuiApplication::platformName() != QLatin1String("xcb")) {
    std::printf("%s\n", kNeedsDisplay);
    return false;
  }
  for (const char* helper : {"xdotool", "xwininfo", "xprop"})
    if (!xwindows::installed(QLatin1String(helper))) {
      std::printf("--programs needs %s (scripts/setup --test installs it)\n", helper);
      return false;
    }
  return true;
}

// `only`: the windows whose name contains it (all when empty).
inline void run(bool verbose, const QString& saveTo, const QString& only = {}) {
  if (!ready()) return;
  const bool cli = measure::haveCommandLine();
  if (!cli) std::printf("(tesseract command line missing: its column stays empty)\n");
  const bool detector = ocr::detectorRoad();
  const QStringList english{QStringLiteral("en-US")};
  QTemporaryDir root;
  Total totals[3];  // layout, detector, command line
  std::printf("programs: words found/expected, junk, table (columns x rows, * where the window shows another); code "
              "characters (_ . :) kept\n%-18s %-9s | %-28s | %-28s | %s\n",
              "window", "size", "layout", "detector", "command line");
  pythonwindow::Total python[3];
  bool anyPython = false;
  for (const Program& p : all()) {
    if (!only.isEmpty() && !p.name.contains(only)) continue;
    if (!xwindows::installed(p.program)) {
      std::printf("%-18s skipped: %s is not installed\n", qPrintable(p.name), qPrintable(p.program));
      continue;
    }
    const Shot shot = shoot(p, root.path());
    if (shot.image.isNull()) continue;
    const QString png = (saveTo.isEmpty() ? root.path() : saveTo) + QLatin1Char('/') + p.name + QStringLiteral(".png");
    shot.image.save(png);
    if (p.code == Code::Python) {
      pythonwindow::run(shot.image, shot.code, p.words, verbose, python);
      anyPython = true;
      continue;
    }
    const QStringList expected = p.words + shot.code.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList cells, details;
    for (int r = 0; r < 3; ++r) {
      QString text;
      std::optional<Table> table;
      if (r < 2) {
        const Recognized read = roads::recognizeOn(roads::kRoads[r], shot.image, english);
        text = read.text(), table = read.table;
      } else if (cli) {
        text = measure::commandLine(png, QStringLiteral("eng"));
      }
      const uiscreens::Score sc = uiscreens::score(expected, text, false);
      Total& t = totals[r];
      t.expected += sc.expected, t.found += sc.found, t.junk += int(sc.junk.size()), ++t.windows;
      QString cell = QStringLiteral("%1/%2 %3").arg(sc.found).arg(sc.expected).arg(sc.junk.size());
      if (r < 2) {
        const bool right = p.table.isEmpty() ? !table
                                             : table && table->columnCount() == p.table.width() &&
                                                   int(table->rows.size()) == p.table.height();
        t.tablesWrong += !right;
        cell += QStringLiteral(" %1%2").arg(shape(table), right ? QString() : QStringLiteral("*"));
      }
      if (!shot.code.isEmpty()) {
        const codelines::Kept k = codelines::kept(shot.code, text);
        t.kept += k;
        cell += QStringLiteral("  %1/%2").arg(k.allKept()).arg(k.all());
      }
      cells << cell;
      details << QStringLiteral("  %1 missed: %2\n  %1 junk: %3\n  %1 read: %4\n")
                     .arg(r < 2 ? QLatin1String(roads::kRoads[r].name) : QLatin1String("command line"),
                          sc.missed.join(QStringLiteral(" · ")), sc.junk.join(QStringLiteral(" · ")),
                          QString(text).replace(QLatin1Char('\n'), QStringLiteral(" ⏎ ")));
    }
    std::printf("%-18s %4dx%-4d | %-28s | %-28s | %s%s\n", qPrintable(p.name), shot.image.width(), shot.image.height(),
                qPrintable(cells[0]), qPrintable(cells[1]), qPrintable(cells[2]), shot.steady ? "" : "  (still changing)");
    if (verbose) std::printf("%s", qPrintable(details.join(QString())));
    std::fflush(stdout);
  }
  ocr::setDetectorRoad(detector);
  if (anyPython) pythonwindow::printTotals(python);
  std::printf("\ntotals\n");
  for (int r = 0; r < 3; ++r)
    std::printf("%-12s %s\n", r < 2 ? roads::kRoads[r].name : "command line", qPrintable(totals[r].line()));
}

}  // namespace programs
