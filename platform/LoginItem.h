#pragma once
#include <QByteArray>
#include <QString>

// Starting at login through the desktop's autostart folder: an entry
// $XDG_CONFIG_HOME/autostart/tarvok.desktop that runs this executable.
namespace LoginItem {

// Where the entry lives.
QString entryPath();

// True when an entry exists that the desktop will start: a readable file
// with a [Desktop Entry] group that neither hides itself (Hidden=true) nor is switched off
// (X-GNOME-Autostart-enabled=false).
bool isEnabled();

// Writes or removes the entry; false when the change could not be made (the
// folder cannot be created, the file cannot be written or removed). Callers
// read isEnabled() afterwards for the real state.
bool setEnabled(bool enabled);

// The entry's text for an executable path.
QByteArray entryText(const QString& executable);

// An executable path quoted for an Exec line where it needs quoting.
QString quoteExec(const QString& path);

}  // namespace LoginItem
