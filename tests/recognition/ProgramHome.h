// A home of known files for a real program to start in (the folder a file
// chooser or `ls -l` lists, a configuration, Python sources), and the
// environment that keeps everything of the user's out of it. Shared by
// tests/recognition/RealWindows_x_test.cpp and bench/ocr_bench --programs.
#pragma once
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace programs {

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

// A link's own time, not its target's.
inline bool touch(const QString& path, const char* when) {
  return QProcess::execute(QStringLiteral("touch"), {QStringLiteral("-h"), QStringLiteral("-d"), QLatin1String(when), path}) == 0;
}

// Files of `bytes` bytes in `dir`, each last changed `when`.
struct File {
  const char* name;
  int bytes;
  const char* when;
};
inline bool writeFiles(const QString& dir, std::initializer_list<File> files) {
  bool ok = true;
  for (const File& f : files) {
    const QString path = dir + QLatin1Char('/') + QLatin1String(f.name);
    ok = ok && write(path, QByteArray(f.bytes, 'x')) && touch(path, f.when);
  }
  return ok;
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
  using detail::File;
  ok = ok && detail::writeFiles(d.filePath(QStringLiteral("reports")),
                                {{"build_log.txt", 18432, "2024-03-14 09:30 UTC"}, {"report-2024.pdf", 245760, "2024-02-29 16:45 UTC"},
                                 {"notes.v2.md", 1210, "2024-03-01 11:00 UTC"}, {"data_export_01.csv", 53248, "2024-03-12 07:20 UTC"},
                                 {"config.backup.json", 876, "2023-10-05 14:10 UTC"}});
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

// The program's environment: nothing of the user's (home, settings, locale,
// session bus), only the display.
inline QProcessEnvironment environment(const QString& home, const QString& runtime, const QString& bus,
                                       const QStringList& extra) {
  const QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
  QProcessEnvironment env;
  for (const char* keep : {"DISPLAY", "PATH", "XAUTHORITY"})
    if (user.contains(QLatin1String(keep))) env.insert(QLatin1String(keep), user.value(QLatin1String(keep)));
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
  env.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/.cache"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
  env.insert(QStringLiteral("XDG_STATE_HOME"), home + QStringLiteral("/.local/state"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
  env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
  env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
  if (!bus.isEmpty()) env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
  for (const QString& e : extra) env.insert(e.section(QLatin1Char('='), 0, 0), e.section(QLatin1Char('='), 1));
  return env;
}

}  // namespace programs
