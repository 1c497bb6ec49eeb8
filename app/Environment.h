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

}  // namespace Environment
