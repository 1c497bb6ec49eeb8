// The windows of bench/ocr_bench --programs: a home of known files for each
// program to start in, and per window the program, its arguments and the
// words it shows (title bar, menus, labels, buttons, file names), written
// down from its screenshots.
#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <unistd.h>

namespace programs {

enum class Code { None, Terminal, Editor, Python };

// What of the window is read: what a window pick takes (the window with the
// window manager's frame), a drag over its inside, or a drag started a few
// pixels outside the frame (the desktop's edge around it).
enum class Grab { Frame, Inside, Beyond };

struct Program {
  QString name;
  QString program;
  QStringList args;   // "%h" stands for the prepared home
  QStringList env;    // NAME=value beside the prepared environment
  QString keyfile;    // the program's settings (GSettings key file)
  QStringList words;  // what the window shows besides the code: title, menus, labels, buttons
  Code code = Code::None;
  QSize size{};       // a size to give the window once shown, when its own is too large
  Grab grab = Grab::Frame;
  QRect part{};       // with Grab::Inside, a drag over this part of the inside only
  QSize table{};      // the table the window shows (columns x rows), none when empty
};

// The configuration the terminal prints, with the characters code depends on.
inline QString configText() {
  return QStringLiteral(
      "# app.conf\n"
      "config_path = \"/etc/app/main.conf\"\n"
      "user_name: root\n"
      "api_url: http://localhost:8080/api/v1\n"
      "log_file = /var/log/app/server_01.log\n"
      "max_retry.count = 5\n"
      "timeout: 12.5\n");
}

// The source file the editor opens.
inline QString sourceText() {
  return QStringLiteral(
      "import os.path\n"
      "from app.config import load_settings\n"
      "\n"
      "BASE_DIR = \"/var/lib/sensors\"\n"
      "DEFAULT_PORT = 8080\n"
      "\n"
      "\n"
      "def read_value(sensor_id: int) -> float:\n"
      "    path = os.path.join(BASE_DIR, f\"sensor_{sensor_id}.txt\")\n"
      "    with open(path) as data_file:\n"
      "        return float(data_file.read().strip())\n"
      "\n"
      "\n"
      "def main():\n"
      "    settings = load_settings(\"config/main.yaml\")\n"
      "    print(settings.get(\"log_level\"), read_value(3))\n");
}

// The Python module the editor opens as code: classes, blocks nested four
// deep, dunders, docstrings, a string of several lines.
inline QString pythonText() {
  return QStringLiteral(
      "\"\"\"Sensor readings kept in a small cache.\"\"\"\n"
      "import os.path\n"
      "\n"
      "__all__ = [\"SensorCache\", \"CacheError\"]\n"
      "\n"
      "\n"
      "class CacheError(ValueError):\n"
      "    def __init__(self, sensor_id, reason):\n"
      "        ValueError.__init__(self, f\"{sensor_id}: {reason}\")\n"
      "        self.sensor_id = sensor_id\n"
      "\n"
      "\n"
      "class SensorCache:\n"
      "    HELP = \"\"\"Readings by sensor,\n"
      "each a float.\"\"\"\n"
      "\n"
      "    def __init__(self, path=None):\n"
      "        \"\"\"\n"
      "        Keeps the readings of the sensors.\n"
      "        \"\"\"\n"
      "        self._path = path or os.path.join(\"/tmp\", \"cache\")\n"
      "        self._values = {}\n"
      "\n"
      "    def __len__(self):\n"
      "        return len(self._values)\n"
      "\n"
      "    def add(self, sensor_id, value):\n"
      "        if value is None:\n"
      "            raise CacheError(sensor_id, \"no value\")\n"
      "        for old in list(self._values):\n"
      "            if old == sensor_id:\n"
      "                del self._values[old]\n"
      "        self._values[sensor_id] = float(value)\n"
      "        return self\n");
}

// The terminal's script: a listing and the configuration, then it stays
// open; with "print" it only prints (the truth of what the terminal shows).
inline QString terminalScript() {
  return QStringLiteral(
      "cd \"$HOME/reports\" || exit 1\n"
      "echo '$ ls -l'\n"
      "ls -l\n"
      "echo '$ cat ~/app.conf'\n"
      "cat \"$HOME/app.conf\"\n"
      "[ \"$1\" = print ] || exec sleep 600\n");
}

namespace detail {

inline bool write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline bool touch(const QString& path, const char* when) {
  return QProcess::execute(QStringLiteral("touch"), {QStringLiteral("-d"), QLatin1String(when), path}) == 0;
}

}  // namespace detail

// A home of its own: settings that keep the pictures still (no blinking
// cursor), the key file of the program's settings, the folder the file
// chooser and the terminal list (names with underscores, dots and digits,
// sizes and dates fixed), the configuration and the source file.
inline bool prepareHome(const QString& home, const QString& keyfile) {
  QDir d(home);
  bool ok = true;
  for (const char* sub : {".config/gtk-3.0", ".config/glib-2.0/settings", ".cache", ".local/share", ".local/state",
                          "reports/Photos", "reports/Scripts", "reports/archive_2023"})
    ok = ok && d.mkpath(QLatin1String(sub));
  ok = ok && detail::write(d.filePath(QStringLiteral(".config/gtk-3.0/settings.ini")),
                           "[Settings]\ngtk-cursor-blink=false\n");
  ok = ok && detail::write(d.filePath(QStringLiteral(".config/glib-2.0/settings/keyfile")), keyfile.toUtf8());
  struct File {
    const char* name;
    int bytes;
    const char* when;
  };
  for (const File& f : {File{"build_log.txt", 18432, "2024-03-14 09:30 UTC"}, File{"report-2024.pdf", 245760, "2024-02-29 16:45 UTC"},
                        File{"notes.v2.md", 1210, "2024-03-01 11:00 UTC"}, File{"data_export_01.csv", 53248, "2024-03-12 07:20 UTC"},
                        File{"config.backup.json", 876, "2023-10-05 14:10 UTC"}}) {
    const QString path = d.filePath(QStringLiteral("reports/") + QLatin1String(f.name));
    ok = ok && detail::write(path, QByteArray(f.bytes, 'x')) && detail::touch(path, f.when);
  }
  for (const File& f : {File{"Photos", 0, "2023-11-02 18:05 UTC"}, File{"Scripts", 0, "2024-01-20 08:15 UTC"},
                        File{"archive_2023", 0, "2023-12-31 23:59 UTC"}})
    ok = ok && detail::touch(d.filePath(QStringLiteral("reports/") + QLatin1String(f.name)), f.when);
  ok = ok && detail::touch(d.filePath(QStringLiteral("reports")), "2024-03-14 10:00 UTC");
  ok = ok && detail::write(d.filePath(QStringLiteral("app.conf")), configText().toUtf8());
  ok = ok && detail::write(d.filePath(QStringLiteral("sensor_reader.py")), sourceText().toUtf8());
  ok = ok && detail::write(d.filePath(QStringLiteral("show.sh")), terminalScript().toUtf8());
  ok = ok && detail::write(d.filePath(QStringLiteral("cache.py")), pythonText().toUtf8());
  return ok;
}

inline QList<Program> all() {
  const QStringList form{QStringLiteral("--forms"), QStringLiteral("--title=New account"),
                         QStringLiteral("--text=Enter the details of the new user."),
                         QStringLiteral("--add-entry=First name"), QStringLiteral("--add-entry=Last name"),
                         QStringLiteral("--add-entry=Email address"), QStringLiteral("--add-entry=Date of birth"),
                         QStringLiteral("--add-password=Password"), QStringLiteral("--width=720")};
  const QStringList formWords{QStringLiteral("New account"), QStringLiteral("Enter the details of the new user."),
                              QStringLiteral("First name"), QStringLiteral("Last name"), QStringLiteral("Email address"),
                              QStringLiteral("Date of birth"), QStringLiteral("Password"), QStringLiteral("Cancel"),
                              QStringLiteral("OK")};
  const QStringList chooser{QStringLiteral("--file-selection"), QStringLiteral("--title=Open a report"),
                            QStringLiteral("--filename=%h/reports/")};
  const QStringList chooserWords{
      QStringLiteral("Open a report"), QStringLiteral("Recent Home Desktop Other Locations"), QStringLiteral("alex reports"),
      QStringLiteral("Name Size Type Modified"), QStringLiteral("Photos 2 Nov 2023"), QStringLiteral("Scripts 20 Jan 2024"),
      QStringLiteral("archive_2023 31 Dec 2023"), QStringLiteral("build_log.txt 18.4 kB Text 14 Mar 2024"),
      QStringLiteral("config.backup.json 876 bytes Program 5 Oct 2023"),
      QStringLiteral("data_export_01.csv 53.2 kB Text 12 Mar 2024"), QStringLiteral("notes.v2.md 1.2 kB Text 1 Mar 2024"),
      QStringLiteral("report-2024.pdf 245.8 kB Document 29 Feb 2024"), QStringLiteral("Cancel OK")};
  auto xterm = [](bool dark) {
    QStringList a{QStringLiteral("-fa"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("-fs"), QStringLiteral("11"),
                  QStringLiteral("-geometry"), QStringLiteral("80x24"), QStringLiteral("-T"),
                  QStringLiteral("admin@build-01: ~/reports")};
    if (dark) a << QStringLiteral("-bg") << QStringLiteral("black") << QStringLiteral("-fg") << QStringLiteral("grey80");
    return a << QStringLiteral("-e") << QStringLiteral("sh") << QStringLiteral("%h/show.sh");
  };
  const QString editorKeys = QStringLiteral(
      "[org/xfce/mousepad/preferences/window]\npath-in-title=false\n"
      "[org/xfce/mousepad/state/window]\nwidth=800\nheight=520\n");
  QStringList editorWords{QStringLiteral("sensor_reader.py - Mousepad"), QStringLiteral("File Edit Search View Document Help")};
  // Mousepad warns whoever runs it as root in a bar above the text.
  if (geteuid() == 0) editorWords << QStringLiteral("Warning: you are using the root account. You may harm your system.");
  // Tall enough for the whole module in the editor's own monospace face.
  const QString pythonKeys = QStringLiteral(
      "[org/xfce/mousepad/preferences/window]\npath-in-title=false\n"
      "[org/xfce/mousepad/state/window]\nwidth=760\nheight=760\n");
  const QStringList pythonWords = QStringList{QStringLiteral("cache.py - Mousepad")} + editorWords.mid(1);
  const QString dark = QStringLiteral("GTK_THEME=Adwaita:dark");
  const QStringList list{QStringLiteral("--list"), QStringLiteral("--title=Installed packages"),
                         QStringLiteral("--text=Choose the package to update."), QStringLiteral("--column=Package"),
                         QStringLiteral("--column=Version"), QStringLiteral("--column=Size"),
                         QStringLiteral("--column=Updated"), QStringLiteral("--width=640"), QStringLiteral("--height=460")};
  QStringList listArgs = list, listWords{QStringLiteral("Installed packages"), QStringLiteral("Choose the package to update."),
                                         QStringLiteral("Cancel OK")};
  QStringList listRows{QStringLiteral("Package Version Size Updated")};
  for (const char* row : {"libgtk-3-0 3.24.38 12.4 MB 2024-03-14", "openssl 3.0.13 2.1 MB 2024-02-29",
                          "python3.11 3.11.2 1.8 MB 2023-11-02", "zenity 3.44.0 384 kB 2023-10-05",
                          "xterm 379 1.3 MB 2024-01-20", "mousepad 0.5.10 2.6 MB 2023-12-31",
                          "tesseract-ocr 5.3.0 1.9 MB 2024-03-01", "fonts-noto 20201225 4.7 MB 2023-09-18",
                          "dbus-daemon 1.14.10 620 kB 2024-03-12", "curl 7.88.1 512 kB 2024-02-07"}) {
    const QStringList f = QString::fromLatin1(row).split(QLatin1Char(' '));
    listArgs << f[0] << f[1] << f[2] + QLatin1Char(' ') + f[3] << f[4];
    listRows << QString::fromLatin1(row);
  }
  listWords += listRows;
  const QStringList calculatorWords{QStringLiteral("galculator"), QStringLiteral("File Edit View Calculator Help"),
                                    QStringLiteral("0"), QStringLiteral("C AC <-"), QStringLiteral("( ) MS MR M+"),
                                    QStringLiteral("7 8 9 / sqrt"), QStringLiteral("4 5 6 * %"), QStringLiteral("1 2 3 - ="),
                                    QStringLiteral("0 . +/- +")};
  return {
      {QStringLiteral("form"), QStringLiteral("zenity"), form, {}, {}, formWords},
      {QStringLiteral("form-dark"), QStringLiteral("zenity"), form, {dark}, {}, formWords},
      {QStringLiteral("file-chooser"), QStringLiteral("zenity"), chooser, {}, {}, chooserWords, Code::None, QSize(820, 560),
       Grab::Frame, {}, QSize(4, 9)},
      {QStringLiteral("terminal"), QStringLiteral("xterm"), xterm(false), {}, {}, {QStringLiteral("admin@build-01: ~/reports")},
       Code::Terminal},
      {QStringLiteral("terminal-dark"), QStringLiteral("xterm"), xterm(true), {}, {},
       {QStringLiteral("admin@build-01: ~/reports")}, Code::Terminal},
      {QStringLiteral("editor"), QStringLiteral("mousepad"), {QStringLiteral("%h/sensor_reader.py")}, {}, editorKeys,
       editorWords, Code::Editor},
      {QStringLiteral("editor-dark"), QStringLiteral("mousepad"), {QStringLiteral("%h/sensor_reader.py")}, {dark},
       editorKeys + QStringLiteral("[org/xfce/mousepad/preferences/view]\ncolor-scheme='oblivion'\n"), editorWords,
       Code::Editor},
      {QStringLiteral("python"), QStringLiteral("mousepad"), {QStringLiteral("%h/cache.py")}, {}, pythonKeys, pythonWords,
       Code::Python},
      // What a window pick takes, and a drag over the list alone.
      {QStringLiteral("list-picked"), QStringLiteral("zenity"), listArgs, {}, {}, listWords, Code::None, {}, Grab::Frame,
       {}, QSize(4, 11)},
      {QStringLiteral("list-dragged"), QStringLiteral("zenity"), listArgs, {}, {}, listRows, Code::None, {}, Grab::Inside,
       QRect(9, 34, 622, 383), QSize(4, 11)},
      // The inside has no title bar.
      {QStringLiteral("chooser-dragged"), QStringLiteral("zenity"), chooser, {}, {}, chooserWords.mid(1), Code::None,
       QSize(820, 560), Grab::Inside, {}, QSize(4, 9)},
      {QStringLiteral("calc-picked"), QStringLiteral("galculator"), {}, {}, {}, calculatorWords, Code::None, {}, Grab::Frame},
      {QStringLiteral("calc-beyond"), QStringLiteral("galculator"), {}, {}, {}, calculatorWords, Code::None, {}, Grab::Beyond},
  };
}

}  // namespace programs
