// Windows of other programs on the X display (tests/support/xsession), for
// the tests and benches that read real program windows: a program started in
// an environment of its own, its top-level window found by the process id the
// program put on it once the window manager has framed it, and a grab of frame
// and window (or a part around or inside them) once the picture has stopped
// changing; the program ended when it goes. Header-only (the benches use it
// without the test library). Uses xdotool, xwininfo and xprop; needs the xcb
// platform.
#pragma once
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <functional>
#include <memory>
#include <optional>

namespace xwindows {

// Standard output of a short helper, empty when it fails or hangs.
inline QString tool(const QString& program, const QStringList& args, int timeoutMs = 5000) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(timeoutMs)) {
    p.kill();
    p.waitForFinished(1000);
    return {};
  }
  return p.exitCode() == 0 ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
}

inline bool installed(const QString& program) { return !QStandardPaths::findExecutable(program).isEmpty(); }

// The window's inside in root coordinates (xwininfo's absolute corner).
inline QRect clientRect(const QString& id) {
  const QString info = tool(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
  auto field = [&](const char* name) {
    const QRegularExpression re(QStringLiteral("%1:\\s*(-?\\d+)").arg(QLatin1String(name)));
    const QRegularExpressionMatch m = re.match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  };
  const int w = field("Width"), h = field("Height");
  if (w <= 0 || h <= 0) return {};
  return {field("Absolute upper-left X"), field("Absolute upper-left Y"), w, h};
}

// The frame the window manager drew around it: left, right, top, bottom.
inline std::optional<QMargins> frameExtents(const QString& id) {
  const QString out = tool(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
  static const QRegularExpression re(QStringLiteral("=\\s*(\\d+),\\s*(\\d+),\\s*(\\d+),\\s*(\\d+)"));
  const QRegularExpressionMatch m = re.match(out);
  if (!m.hasMatch()) return std::nullopt;
  return QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt());
}

// The largest viewable top-level window of the process with its frame, once
// the window manager has framed it; empty after `timeoutMs`.
inline QString findWindow(qint64 pid, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < timeoutMs) {
    QString best;
    int area = 0;
    for (const QString& id : tool(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                               QStringLiteral("--pid"), QString::number(pid)})
                                 .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
      const QRect r = clientRect(id);
      if (r.width() * r.height() > area && frameExtents(id)) best = id, area = r.width() * r.height();
    }
    if (!best.isEmpty()) return best;
    QThread::msleep(200);
  }
  return {};
}

// Which part of the screen around a window is grabbed, given the window's
// inside and the frame around it (both in root pixels).
using Area = std::function<QRect(const QRect& inside, const QMargins& frame)>;

// Frame and window: what a window pick takes.
inline QRect framed(const QRect& inside, const QMargins& frame) { return inside.marginsAdded(frame); }

// The `area` of the window as the screen shows it.
inline QImage grabArea(const QString& id, const Area& area, QRect* where) {
  const std::optional<QMargins> frame = frameExtents(id);
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect r = area(clientRect(id), frame.value_or(QMargins())).intersected(screen->geometry());
  *where = r;
  if (r.isEmpty()) return {};
  return screen->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage().convertToFormat(QImage::Format_RGB32);
}

// Grabs every `stepMs` until the picture and its place have stayed the same
// for `quietMs` (the program has painted and laid itself out, typed keys and
// a new size have been taken); `steady` tells whether that came before
// `timeoutMs`.
inline QImage steadyGrab(const QString& id, int quietMs, int stepMs, int timeoutMs, bool* steady,
                         const Area& area = framed) {
  QElapsedTimer t, quiet;
  t.start();
  quiet.start();
  QRect where, before;
  QImage last = grabArea(id, area, &before);
  *steady = false;
  while (t.elapsed() < timeoutMs) {
    QThread::msleep(ulong(stepMs));
    QImage now = grabArea(id, area, &where);
    if (now.isNull() || where != before || now != last) {
      quiet.restart();
    } else if (quiet.elapsed() >= quietMs) {
      *steady = true;
      return now;
    }
    last = std::move(now), before = where;
  }
  return last;
}

// A program of its own environment, ended (politely, then not) when it goes.
class Started {
 public:
  Started(const QString& program, const QStringList& args, const QProcessEnvironment& env, const QString& dir) {
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(dir);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.start(program, args);
    process_.waitForStarted(5000);
  }
  ~Started() { end(); }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  qint64 pid() const { return process_.processId(); }
  bool running() const { return process_.state() == QProcess::Running; }
  void end() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
      process_.kill();
      process_.waitForFinished(3000);
    }
  }

 private:
  QProcess process_;
};

// A session bus of its own, so that no program finds the user's services or
// an instance of itself started earlier; its address, empty if none started.
class Bus {
 public:
  Bus() {
    if (!installed(QStringLiteral("dbus-daemon"))) return;
    daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                  QStringLiteral("--print-address=1")});
    if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
      address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~Bus() {
    if (daemon_.state() == QProcess::NotRunning) return;
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) {
      daemon_.kill();
      daemon_.waitForFinished(3000);
    }
  }
  Bus(const Bus&) = delete;
  Bus& operator=(const Bus&) = delete;
  const QString& address() const { return address_; }

 private:
  QProcess daemon_;
  QString address_;
};

}  // namespace xwindows
