#pragma once
// Listings in a real xterm (its default bitmap face, the X server's "fixed"
// 6x13, or DejaVu Sans Mono at a pixel size), started in a fixed locale and
// width so that what it prints is stable, grabbed with the window manager's
// frame (a window pick) and cut to its text block (a drag); and the shape a
// reading made of it. Shared by tests/recognition/RealWindows_x_test.cpp
// and bench/ocr_bench --programs. Needs the xcb platform, xdotool, xwininfo
// and xprop.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include "recognition/base/Result.h"
#include "tests/support/XPrograms.h"

namespace termlistings {

struct Face {
  QString name;
  QStringList args;  // xterm's arguments for it
};

// The default face, and DejaVu Sans Mono at `px` pixels.
inline Face fixedFace() { return {QStringLiteral("fixed"), {}}; }
inline Face dejaVu(int px) {
  return {QStringLiteral("dejavu%1").arg(px),
          {QStringLiteral("-fa"), QStringLiteral("DejaVu Sans Mono:pixelsize=%1").arg(px)}};
}

// The shell script that prints `command` as typed and its output, hides the
// cursor and stays open; with "print" it only prints.
inline QString script(const QString& command) {
  return QStringLiteral(
             "export LANG=C LC_ALL=C COLUMNS=120 TZ=UTC\n"
             "[ \"$1\" = print ] || printf '\\033[?25l'\n"
             "echo '$ %1'\n"
             "%1\n"
             "[ \"$1\" = print ] || exec sleep 600\n")
      .arg(command);
}

struct Shot {
  QImage picked;   // frame and window, as a window pick takes it
  QImage dragged;  // the text block with a few pixels around it
  QString truth;   // what the terminal printed
  QString error;   // why there is no picture
};

// The ink's bounding box inside the window's `client` rectangle (its border
// left out), grown by `margin` pixels.
inline QRect textBlock(const QImage& image, const QRect& client, int margin) {
  const QRect inner = client.adjusted(3, 3, -3, -3);
  const QRgb ground = image.pixel(inner.topLeft());
  int x0 = inner.right(), y0 = inner.bottom(), x1 = inner.left(), y1 = inner.top();
  for (int y = inner.top(); y <= inner.bottom(); ++y)
    for (int x = inner.left(); x <= inner.right(); ++x)
      if (image.pixel(x, y) != ground) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  if (x1 < x0) return {};
  return QRect(QPoint(x0, y0), QPoint(x1, y1)).adjusted(-margin, -margin, margin, margin) & client;
}

// Runs `command` in an xterm of `face` (`columns` x `rows` characters) whose
// title is `title`, in `dir`, and grabs it.
inline Shot shoot(const Face& face, const QString& command, const QString& title, const QString& dir, int columns,
                  int rows) {
  Shot shot;
  // Hidden: `ls -l` in `dir` does not list it.
  const QString path = dir + QStringLiteral("/.listing.sh");
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(script(command).toUtf8()) < 0) {
    shot.error = QStringLiteral("cannot write ") + path;
    return shot;
  }
  f.close();
  QProcess print;
  print.setWorkingDirectory(dir);
  print.start(QStringLiteral("sh"), {path, QStringLiteral("print")});
  print.waitForFinished(20000);
  shot.truth = QString::fromUtf8(print.readAllStandardOutput());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LANG"), QStringLiteral("C"));
  const QStringList args = face.args + QStringList{QStringLiteral("-geometry"), QStringLiteral("%1x%2").arg(columns).arg(rows),
                                                   QStringLiteral("-T"), title, QStringLiteral("-e"), QStringLiteral("sh"), path};
  xwindows::Started xterm(QStringLiteral("xterm"), args, env, dir);
  const QString id = xterm.running() ? xwindows::findWindow(xterm.pid(), 60000) : QString();
  if (id.isEmpty()) {
    shot.error = QStringLiteral("xterm showed no window");
    return shot;
  }
  bool steady = false;
  shot.picked = xwindows::steadyGrab(id, 600, 150, 30000, &steady);
  const std::optional<QMargins> frame = xwindows::frameExtents(id);
  const QRect client = shot.picked.rect().marginsRemoved(frame.value_or(QMargins()));
  const QRect block = textBlock(shot.picked, client, 4);
  if (!steady || block.isEmpty()) {
    shot.error = steady ? QStringLiteral("the window shows no text") : QStringLiteral("the window kept changing");
    return shot;
  }
  shot.dragged = shot.picked.copy(block);
  return shot;
}

// "table RxC" or "lines N".
inline QString shape(const Recognized& r) {
  if (r.table) return QStringLiteral("table %1x%2").arg(r.table->rows.size()).arg(r.table->columnCount());
  return QStringLiteral("lines %1").arg(r.lines.size());
}

// What a user pastes: the table's cells when one was found, else the lines.
inline QString copied(const Recognized& r) { return r.table ? r.table->tsv() : r.text(); }

// A row made of nothing but rule characters ("+++-====-===") is no text.
inline bool ruleLine(const QString& line) {
  static const QRegularExpression rule(QStringLiteral("^[-=+_\\s]{3,}$"));
  return rule.match(line).hasMatch();
}

// The text without its rules (lines or cells of nothing but rule
// characters): a rule kept or dropped is neither a word found nor junk.
inline QString withoutRules(const QString& text) {
  QStringList out;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    QStringList cells;
    for (const QString& cell : line.split(QLatin1Char('\t')))
      if (!ruleLine(cell)) cells << cell;
    if (!cells.isEmpty()) out << cells.join(QLatin1Char('\t'));
  }
  return out.join(QLatin1Char('\n'));
}

}  // namespace termlistings
