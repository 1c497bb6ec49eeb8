// Real program windows (zenity's GTK dialogs) framed by the session's window
// manager, grabbed as a window pick takes them (frame and window), as a drag
// over their inside or from a few pixels beyond the frame, and read on the
// default road: panes read one after the other, no frame or button read as
// text, tables by whole fields and no table where the window shows none.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include "recognition/Recognizer.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/ProgramHome.h"
#include "tests/support/Printers.h"
#include "tests/support/XPrograms.h"

namespace {

// Frame and window; the inside; from 5 px beyond the frame.
enum class Grab { Frame, Inside, Beyond };

struct Case {
  const char* name;
  QStringList args;   // zenity's
  Grab grab;
  QSize size;         // given to the window once shown, when valid
  QStringList typed;  // typed into the dialog's fields, Tab between them
  QStringList lines;  // lines of the text, one right after the other
  int from;           // the line the first of them is; -1: anywhere
  QSize table;        // columns x rows; none when empty
  QStringList rows;   // rows of the table, cells parted by tabs
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const QStringList kList{QStringLiteral("--list"), QStringLiteral("--title=Installed packages"),
                        QStringLiteral("--text=Choose the package to update."), QStringLiteral("--column=Package"),
                        QStringLiteral("--column=Version"), QStringLiteral("--column=Size"),
                        QStringLiteral("--column=Updated"), QStringLiteral("--width=560"), QStringLiteral("--height=300"),
                        QStringLiteral("openssl"), QStringLiteral("3.0.13"), QStringLiteral("2.1 MB"),
                        QStringLiteral("2024-02-29"), QStringLiteral("zenity"), QStringLiteral("3.44.0"),
                        QStringLiteral("384 kB"), QStringLiteral("2023-10-05"), QStringLiteral("mousepad"),
                        QStringLiteral("0.5.10"), QStringLiteral("2.6 MB"), QStringLiteral("2023-12-31")};
const QStringList kListRead{QStringLiteral("Installed packages"), QStringLiteral("Choose the package to update.")};
const QStringList kListRows{QStringLiteral("Package\tVersion\tSize\tUpdated"),
                            QStringLiteral("zenity\t3.44.0\t384 kB\t2023-10-05")};

const Case kCases[] = {
    // The places beside the files: two panes, and the files a table.
    {"file chooser dragged over its inside",
     {QStringLiteral("--file-selection"), QStringLiteral("--title=Open a report"), QStringLiteral("--filename=%h/reports/")},
     Grab::Inside, QSize(820, 560), {},
     {QStringLiteral("Recent"), QStringLiteral("Home"), QStringLiteral("Desktop")}, 0, QSize(4, 9),
     {QStringLiteral("Name\tSize\tType\tModified"), QStringLiteral("data_export_01.csv\t53.2 kB\tText\t12 Mar 2024")}},
    // The title is read, the icon and buttons of the bar are not; the table
    // is the list's alone.
    {"list picked with its frame", kList, Grab::Frame, {}, {}, kListRead, 0, QSize(4, 4), kListRows},
    {"list dragged from beyond its frame", kList, Grab::Beyond, {}, {}, kListRead, 0, QSize(4, 4), kListRows},
    {"filled form picked with its frame",
     {QStringLiteral("--forms"), QStringLiteral("--title=New account"), QStringLiteral("--text=Who is it?"),
      QStringLiteral("--add-entry=Name:"), QStringLiteral("--add-entry=Email:"), QStringLiteral("--width=480")},
     Grab::Frame, {}, {QStringLiteral("Ada Lovelace"), QStringLiteral("ada@example.org")},
     {QStringLiteral("Name: Ada Lovelace"), QStringLiteral("Email: ada@example.org")}, -1, {}, {}},
};

// zenity in a home of its own (the file chooser's folder), on a session bus
// of its own, grabbed once its picture stands still.
QImage shoot(const Case& c, const QString& root) {
  const QString home = root + QStringLiteral("/alex"), runtime = root + QStringLiteral("/run");
  if (!programs::prepareHome(home, {}) || !QDir().mkpath(runtime)) return {};
  QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  xwindows::Bus bus;
  QProcessEnvironment env;
  for (const char* keep : {"DISPLAY", "PATH", "XAUTHORITY"})
    if (qEnvironmentVariableIsSet(keep)) env.insert(QLatin1String(keep), qEnvironmentVariable(keep));
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
  env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
  env.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
  env.insert(QStringLiteral("TZ"), QStringLiteral("UTC"));
  env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("keyfile"));
  env.insert(QStringLiteral("NO_AT_BRIDGE"), QStringLiteral("1"));
  if (!bus.address().isEmpty()) env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
  // The pointer off the windows: a tip would cover what it points at.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  xwindows::tool(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.right()),
                                             QString::number(screen.bottom())});
  QStringList args;
  for (const QString& a : c.args) args << QString(a).replace(QStringLiteral("%h"), home);
  xwindows::Started zenity(QStringLiteral("zenity"), args, env, home);
  const QString id = zenity.running() ? xwindows::findWindow(zenity.pid(), 20000) : QString();
  if (id.isEmpty()) return {};
  auto xdotool = [&](QStringList a) { xwindows::tool(QStringLiteral("xdotool"), a); };
  if (c.size.isValid())
    xdotool({QStringLiteral("windowsize"), id, QString::number(c.size.width()), QString::number(c.size.height())});
  if (!c.typed.isEmpty()) {
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
    for (const QString& field : c.typed) {
      xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), field});
      xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
    }
  }
  const xwindows::Area area = [&c](const QRect& inside, const QMargins& frame) {
    if (c.grab == Grab::Inside) return inside;
    if (c.grab == Grab::Beyond) return inside.marginsAdded(frame + QMargins(5, 5, 5, 5));
    return xwindows::framed(inside, frame);
  };
  bool steady = false;
  return xwindows::steadyGrab(id, 1000, 400, 10000, &steady, area);
}

class ProgramWindows : public DetectorRoadTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ProgramWindows, ReadAsTheWindowShowsThem) {
  const Case& c = GetParam();
  if (!xwindows::installed(QStringLiteral("zenity")) || !xwindows::installed(QStringLiteral("xdotool")))
    GTEST_SKIP() << "zenity and xdotool come with scripts/setup --test";
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "grabs the screen of an X session";
  QTemporaryDir root;
  const QImage shot = shoot(c, root.path());
  ASSERT_FALSE(shot.isNull()) << "zenity showed no window";
  const Recognized r = Recognizer::recognize(shot, {QStringLiteral("en-US")}, false);
  const QStringList lines = r.text().split(QLatin1Char('\n'));
  const qsizetype at = c.from >= 0 ? c.from : lines.indexOf(c.lines.front());
  EXPECT_EQ(lines.mid(at, c.lines.size()), c.lines) << r.text().toStdString();
  if (!c.table.isValid()) {
    EXPECT_FALSE(r.table) << r.table->tsv().toStdString();
    return;
  }
  ASSERT_TRUE(r.table) << r.text().toStdString();
  EXPECT_EQ(QSize(r.table->columnCount(), int(r.table->rows.size())), c.table) << r.table->tsv().toStdString();
  const QStringList rows = r.table->tsv().split(QLatin1Char('\n'));
  for (const QString& row : c.rows) EXPECT_TRUE(rows.contains(row)) << row.toStdString() << "\n" << r.table->tsv().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Zenity, ProgramWindows, ::testing::ValuesIn(kCases), [](const auto& info) {
  QString name = QString::fromLatin1(info.param.name);
  name.replace(QLatin1Char(' '), QLatin1Char('_'));
  return name.toStdString();
});

}  // namespace
