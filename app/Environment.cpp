#include "app/Environment.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>

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

bool answers(const QString& display) {
  if (display.isEmpty()) return false;
  xcb_connection_t* conn = xcb_connect(display.toLocal8Bit().constData(), nullptr);
  const bool ok = xcb_connection_has_error(conn) == 0;
  xcb_disconnect(conn);
  return ok;
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
  if (!answers(display))
    return QStringLiteral("needs a graphical session, but the X display %1 does not answer").arg(display);
  return {};
}

void preferOffscreenForConsole(bool consoleSwitch, const QStringList& args) {
  if (!consoleSwitch || !chosen(args, "-platform", "QT_QPA_PLATFORM").isEmpty()) return;
  if (!answers(chosen(args, "-display", "DISPLAY"))) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace Environment
