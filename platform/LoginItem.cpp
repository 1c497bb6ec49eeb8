#include "platform/LoginItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#include "platform/AtomicFile.h"

namespace {
Q_LOGGING_CATEGORY(lcLogin, "tarvok.login", QtInfoMsg)
}

namespace LoginItem {

QString entryPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/autostart/tarvok.desktop");
}

bool isEnabled() {
  QFile file(entryPath());
  if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) return false;
  bool inEntry = false;
  bool sawEntry = false;  // a file without the group is no entry the desktop runs
  while (!file.atEnd()) {
    const QByteArray line = file.readLine().trimmed();
    if (line.startsWith('[')) {
      inEntry = line == "[Desktop Entry]";
      sawEntry = sawEntry || inEntry;
      continue;
    }
    if (!inEntry) continue;
    const int eq = line.indexOf('=');
    if (eq < 0) continue;
    const QByteArray key = line.left(eq).trimmed();
    const QByteArray value = line.mid(eq + 1).trimmed();
    if (key == "Hidden" && value == "true") return false;
    if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
  }
  return sawEntry;
}

// The desktop-entry rules: a path with blanks or reserved characters goes in
// double quotes, inside which ", `, $ and \ take a backslash; the value as a
// whole then escapes its backslashes once more.
QString quoteExec(const QString& path) {
  static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
  bool needs = false;
  for (QChar c : path) needs = needs || reserved.contains(c);
  QString arg = path;
  if (needs) {
    QString quoted;
    for (QChar c : path) {
      if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\')) {
        quoted += QLatin1Char('\\');
      }
      quoted += c;
    }
    arg = QLatin1Char('"') + quoted + QLatin1Char('"');
  }
  arg.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  // A literal % would be read as a field code.
  arg.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return arg;
}

QByteArray entryText(const QString& executable) {
  QByteArray text;
  text += "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Name=tarvok\n";
  text += "Comment=Copy the text, barcodes and QR codes of any part of the screen\n";
  text += "Exec=" + quoteExec(executable).toUtf8() + "\n";
  text += "Icon=tarvok\n";
  text += "Terminal=false\n";
  text += "X-GNOME-Autostart-enabled=true\n";
  return text;
}

bool setEnabled(bool enabled) {
  const QString path = entryPath();
  if (!enabled) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true;
    return QFile::remove(path);
  }
  QString problem;
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    problem = QStringLiteral("its folder cannot be made");
  } else if (atomicfile::write(path, entryText(QCoreApplication::applicationFilePath()), &problem)) {
    return true;
  }
  qCWarning(lcLogin).noquote() << QStringLiteral("tarvok could not be set to start at login: %1 was not written (%2)")
                                      .arg(path, problem);
  return false;
}

}  // namespace LoginItem
