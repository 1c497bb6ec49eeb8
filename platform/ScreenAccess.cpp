#include "platform/ScreenAccess.h"

#include <QDebug>
#include <QProcess>
#include <QStandardPaths>

#include "platform/X11.h"

namespace ScreenAccess {

bool granted() {
  xcb_connection_t* conn = x11::connection();
  return conn && xcb_connection_has_error(conn) == 0;
}

std::optional<Command> settingsCommand(const QString& currentDesktop,
                                       const std::function<QString(const QString&)>& findExecutable) {
  // GNOME's privacy panel is the nearest thing to a screen-access page; KDE
  // and Xfce have none, so their settings open at the start.
  struct Known {
    const char* desktop;
    const char* program;
    QStringList arguments;
  };
  const Known known[] = {{"GNOME", "gnome-control-center", {QStringLiteral("privacy")}},
                         {"KDE", "systemsettings", {}},
                         {"XFCE", "xfce4-settings-manager", {}}};
  const QStringList desktops = currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts);
  for (const QString& desktop : desktops) {
    for (const Known& k : known) {
      if (desktop.compare(QLatin1String(k.desktop), Qt::CaseInsensitive) != 0) continue;
      const QString path = findExecutable(QLatin1String(k.program));
      if (path.isEmpty()) return std::nullopt;
      return Command{path, k.arguments};
    }
  }
  return std::nullopt;
}

void openSettings() {
  const auto command = settingsCommand(qEnvironmentVariable("XDG_CURRENT_DESKTOP"), [](const QString& name) {
    return QStandardPaths::findExecutable(name);
  });
  if (!command) {
    qInfo("screen access: this desktop has no settings program we know");
    return;
  }
  if (!QProcess::startDetached(command->program, command->arguments)) {
    qWarning().noquote() << "screen access: could not start" << command->program;
  }
}

}  // namespace ScreenAccess
