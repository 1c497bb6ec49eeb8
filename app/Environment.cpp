#include "app/Environment.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>

#include "core/Console.h"

namespace Environment {

namespace {

// The value after `option` (or its "--" form), else the environment variable, else empty.
QString chosen(const QStringList& args, const char* option, const char* variable) {
  for (const QString& name : {QString::fromLatin1(option), QLatin1Char('-') + QString::fromLatin1(option)}) {
    const qsizetype at = args.indexOf(name);
    if (at >= 0 && at + 1 < args.size()) return args[at + 1];
  }
  return qEnvironmentVariable(variable);
}

// True when Qt would load only its X11 platform: nothing asked for, or "xcb"
// without a fallback ("xcb;offscreen" falls back on its own).
bool onlyX11(const QStringList& args) {
  const QString platform = chosen(args, "-platform", "QT_QPA_PLATFORM");
  return platform.isEmpty() || platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("xcb:"));
}

// The check's connection to a display that answered, kept until Qt has its
// own (PlatformStart), and the display's name for the message.
xcb_connection_t* held = nullptr;
QString checked;

QString noAnswer(const QString& display) {
  return QStringLiteral("needs a graphical session, but the X display %1 does not answer").arg(display);
}

bool answers(const QString& display) {
  if (display.isEmpty()) return false;
  xcb_connection_t* conn = xcb_connect(display.toLocal8Bit().constData(), nullptr);
  if (xcb_connection_has_error(conn) != 0) {
    xcb_disconnect(conn);
    return false;
  }
  if (held) xcb_disconnect(held);
  held = conn;
  checked = display;
  return true;
}

QtMessageHandler previous = nullptr;
bool unreachable = false;  // Qt said it could not connect

void watchPlatform(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("could not connect to display"))) unreachable = true;
  if (type == QtFatalMsg && unreachable) {
    const QString display = checked.isEmpty() ? qEnvironmentVariable("DISPLAY") : checked;
    console::error(noAnswer(display));
    ::_exit(1);
  }
  if (previous) previous(type, context, message);
}

}  // namespace

void ensureThreadLimit(char** argv) {
  if (std::getenv("OMP_THREAD_LIMIT")) return;
  setenv("OMP_THREAD_LIMIT", "1", 1);
  execv("/proc/self/exe", argv);
  // exec failed: carry on with the limit set for whatever loads later.
}

QString missingDisplay(const QStringList& args) {
  if (!onlyX11(args)) return {};
  const QString display = chosen(args, "-display", "DISPLAY");
  if (display.isEmpty()) return QStringLiteral("needs a graphical session, but DISPLAY is not set");
  if (!answers(display)) return noAnswer(display);
  return {};
}

void preferOffscreenForConsole(bool consoleSwitch, const QStringList& args) {
  if (!consoleSwitch || !chosen(args, "-platform", "QT_QPA_PLATFORM").isEmpty()) return;
  if (!answers(chosen(args, "-display", "DISPLAY"))) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

PlatformStart::PlatformStart() { previous = qInstallMessageHandler(watchPlatform); }

PlatformStart::~PlatformStart() { finish(); }

void PlatformStart::finish() {
  if (done_) return;
  done_ = true;
  qInstallMessageHandler(previous);
  if (held) xcb_disconnect(held);
  held = nullptr;
}

}  // namespace Environment
