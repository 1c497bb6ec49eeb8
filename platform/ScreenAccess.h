#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// Whether the program may read the screen, and where the user grants it.
// X11 has no such permission: any client of the X server may read the root
// window, so access is there exactly while the X connection is up. Asking
// never prompts and never grabs anything.
namespace ScreenAccess {

// True while this process holds a working X connection.
bool granted();

// A desktop's own settings program, as a command line.
struct Command {
  QString program;
  QStringList arguments;
};

// The settings program to open for a desktop (XDG_CURRENT_DESKTOP, a
// colon-separated list), given a lookup of executables on the PATH that
// answers an empty path when one is missing; none for unknown desktops or a
// missing program.
std::optional<Command> settingsCommand(const QString& currentDesktop,
                                       const std::function<QString(const QString&)>& findExecutable);

// Opens the desktop's settings when it has a known settings program; does
// nothing visible otherwise. Failures are only logged.
void openSettings();

}  // namespace ScreenAccess
