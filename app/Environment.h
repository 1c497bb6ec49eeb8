#pragma once
#include <QString>
#include <QStringList>

// Process set-up that has to happen before QApplication exists.
namespace Environment {

// Tesseract's OpenMP runtime reads OMP_THREAD_LIMIT only when the library
// loads, which is before main: without it, recognition burns three times the
// CPU for nothing. When it is missing the process re-executes itself once with
// it set; this returns only when no re-execution was needed or it failed.
void ensureThreadLimit(char** argv);

// Qt aborts the process when its X11 platform finds no display. These look
// first, with the arguments as given (without the program name), so that
// "-platform NAME" and "-display NAME" count as they do for Qt.

// The tray program needs a graphical session: the reason it cannot start
// (X11 is the platform Qt would load and no X display answers), or an empty
// text when nothing stands in the way.
QString missingDisplay(const QStringList& args);

// Console switches need no display: picks Qt's offscreen platform when no
// platform was asked for and no X display answers.
void preferOffscreenForConsole(bool consoleSwitch, const QStringList& args);

// Lives while QApplication is made. A display that answered the checks above
// keeps that connection open until Qt has its own: a server that resets when
// its last client leaves (a plain Xvfb) would otherwise reset under Qt's
// attempt, and Qt aborts. Should Qt still fail to reach the display, the
// process ends with the one-line message of missingDisplay and exit code 1,
// never with Qt's abort.
class PlatformStart {
 public:
  PlatformStart();
  ~PlatformStart();
  PlatformStart(const PlatformStart&) = delete;
  PlatformStart& operator=(const PlatformStart&) = delete;
  // Qt is connected: closes the check's connection and stops watching.
  void finish();

 private:
  bool done_ = false;
};

}  // namespace Environment
