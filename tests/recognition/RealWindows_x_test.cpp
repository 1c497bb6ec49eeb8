// Real program windows framed by the session's window manager, grabbed as a
// window pick takes them (frame and window) or as a drag (over their inside,
// from a few pixels beyond the frame, or over a terminal's text), and read on
// the detector's road: zenity's dialogs (a file chooser's panes, a list, a
// filled form) and xterm's listings and code in its default bitmap face and
// in DejaVu Sans Mono. Panes read one after the other, no frame or button read
// as text, tables by whole fields (a listing's rule no row), no table where
// the window shows none, code indented as printed.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include "recognition/Recognizer.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/ProgramHome.h"
#include "tests/recognition/TerminalListings.h"
#include "tests/support/Printers.h"
#include "tests/support/XPrograms.h"

namespace {

// Frame and window; the inside; from 5 px beyond the frame; a terminal's
// text and 4 px around it.
enum class Take { Frame, Inside, Beyond, Text };

// The lines a terminal printed that come back last in what is read.
struct Printed {
  const char* rows = nullptr;    // those that are table rows; none: all after the command, as code
  std::vector<int> keys{};       // fields of a row that come back exactly
  int least = 0;                 // percent of them that come back so (rows) or read right (code)
  const char* header = nullptr;  // a cell of the row right above them, and the first of them whole
  int count = 0;                 // at least as many printed
};

struct Case {
  const char* name;
  const char* program;  // zenity, or xterm running `run`
  const char* args;     // zenity's ("%h": its home), '|' between them; none: xterm's default face
  const char* run;
  Take take;
  QSize size;           // zenity: given to the window once shown, when valid; xterm: columns x rows
  const char* typed;    // typed into the dialog's fields, Tab after each, '|' between them
  const char* lines;    // lines of the text, one right after the other, '|' between them
  int from;             // the line the first of them is; -1: anywhere
  QSize table;          // columns x rows (rows 0: any number); none when empty
  const char* rows;     // rows of the table (cells parted by tabs), '|' between them
  Printed printed{};
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

QStringList parts(const char* s) { return s ? QString::fromUtf8(s).split(QLatin1Char('|')) : QStringList(); }

const char* kList =
    "--list|--title=Installed packages|--text=Choose the package to update.|--column=Package|--column=Version|"
    "--column=Size|--column=Updated|--width=560|--height=300|openssl|3.0.13|2.1 MB|2024-02-29|zenity|3.44.0|384 kB|"
    "2023-10-05|mousepad|0.5.10|2.6 MB|2023-12-31";
const char* kListRead = "Installed packages|Choose the package to update.";
const char* kListRows = "Package\tVersion\tSize\tUpdated|zenity\t3.44.0\t384 kB\t2023-10-05";
const char* kDejaVu11 = "-fa|DejaVu Sans Mono:pixelsize=11";
const char* kDejaVu12 = "-fa|DejaVu Sans Mono:pixelsize=12";
const char* kDejaVu13 = "-fa|DejaVu Sans Mono:pixelsize=13";
const char* kTitle = "listing";  // xterm's
// Every field whole in its own cell, the files' rows last in the listing's
// order: the links, size and date exactly (the modes' dashes and a name's
// letters are still misread at times).
const Printed kLsFiles{"^[-dl][-rwx]{9} ", {1, 4, 5, 6, 7}, 85, nullptr, 8};
const char* kLs = "ls -l listing";
// The header row is followed by the first package's: the rule between them,
// however it was read, is no row. Enough rows against the four of the
// header that its words cross columns.
const Printed kPackages{"^ii ", {0, 1}, 80, "Version", 20};
const char* kDpkg = "dpkg -l | head -30";

const Case kCases[] = {
    // The places beside the files: two panes, and the files a table.
    {"file chooser dragged over its inside", "zenity", "--file-selection|--title=Open a report|--filename=%h/reports/",
     nullptr, Take::Inside, QSize(820, 560), nullptr, "Recent|Home|Desktop", 0, QSize(4, 9),
     "Name\tSize\tType\tModified|data_export_01.csv\t53.2 kB\tText\t12 Mar 2024"},
    // The title is read, the icon and buttons of the bar are not; the table
    // is the list's alone.
    {"list picked with its frame", "zenity", kList, nullptr, Take::Frame, {}, nullptr, kListRead, 0, QSize(4, 4), kListRows},
    {"list dragged from beyond its frame", "zenity", kList, nullptr, Take::Beyond, {}, nullptr, kListRead, 0, QSize(4, 4),
     kListRows},
    {"filled form picked with its frame", "zenity",
     "--forms|--title=New account|--text=Who is it?|--add-entry=Name:|--add-entry=Email:|--width=480", nullptr, Take::Frame,
     {}, "Ada Lovelace|ada@example.org", "Name: Ada Lovelace|Email: ada@example.org", -1, {}, nullptr},
    // `ls -l` as a table of its nine whole fields; nothing of the frame
    // above the title. (Not in the bitmap face: its dashes stand one pixel
    // apart, the enlarging that makes it readable closes the gaps, and the
    // runs of them in "-rw-------" and "-rw-r--r--" read as one long dash or
    // none.)
    {"ls in dejavu 11 dragged", "xterm", kDejaVu11, kLs, Take::Text, QSize(100, 14), nullptr, nullptr, -1, QSize(9, 0),
     nullptr, kLsFiles},
    {"ls in dejavu 11 picked", "xterm", kDejaVu11, kLs, Take::Frame, QSize(100, 14), nullptr, kTitle, 0, QSize(9, 0),
     nullptr, kLsFiles},
    {"ls in dejavu 13 dragged", "xterm", kDejaVu13, kLs, Take::Text, QSize(100, 14), nullptr, nullptr, -1, QSize(9, 0),
     nullptr, kLsFiles},
    {"ls in dejavu 13 picked", "xterm", kDejaVu13, kLs, Take::Frame, QSize(100, 14), nullptr, kTitle, 0, QSize(9, 0),
     nullptr, kLsFiles},
    // `dpkg -l` in the bitmap face too, whose two-level strokes are enlarged
    // by a whole factor and softened before they are read; a few of its names
    // still lose a letter there ("base-passwd" as "base-passud"). Its window
    // pick as well: the frame on the image's edge made the cleaning take the
    // dot of the first "i" beside it for a small mark ("1i"). DejaVu's window
    // pick: its column of "ii" looked like a column of icons.
    {"dpkg in the bitmap face dragged", "xterm", nullptr, kDpkg, Take::Text, QSize(172, 32), nullptr, nullptr, -1,
     QSize(5, 0), nullptr, kPackages},
    {"dpkg in the bitmap face picked", "xterm", nullptr, kDpkg, Take::Frame, QSize(172, 32), nullptr, kTitle, 0,
     QSize(5, 0), nullptr, kPackages},
    {"dpkg in dejavu 12 dragged", "xterm", kDejaVu12, kDpkg, Take::Text, QSize(172, 32), nullptr, nullptr, -1, QSize(5, 0),
     nullptr, {"^ii ", {0, 1}, 90, "Version", 20}},
    {"dpkg in dejavu 12 picked", "xterm", kDejaVu12, kDpkg, Take::Frame, QSize(172, 32), nullptr, nullptr, -1, QSize(5, 0),
     nullptr, {"^ii ", {0, 1}, 90, "Version", 20}},
    // Python: blocks nested four deep, dunders, docstrings, a string of
    // several lines; no table.
    {"python in dejavu 13 dragged", "xterm", kDejaVu13, "cat cache.py", Take::Text, QSize(80, 40), nullptr, nullptr, -1,
     {}, nullptr, {nullptr, {}, 90, nullptr, 25}},
};

// A home of its own (the file chooser's folder, the listed folder and the
// code) for the program, zenity on a session bus of its own too; the window
// grabbed once its picture stands still.
struct Shot {
  QImage image;
  QString printed;  // what the terminal printed
  QString error;    // why there is no picture
};

// A folder whose listing is the same everywhere but for its owner: names
// with dots, dashes and underscores, a folder, a link, right-aligned sizes,
// days of one and two digits, times and years.
bool listedFolder(const QString& dir) {
  using programs::detail::touch;
  const bool ok = QDir().mkpath(dir + QStringLiteral("/Documents")) &&
                  programs::detail::writeFiles(
                      dir, {{"build.sh", 20480, "2024-02-02 17:45 UTC"}, {"notes.v2.md", 1210, "2024-03-01 11:00 UTC"},
                            {"data_export_01.csv", 53248, "2024-03-12 07:20 UTC"}, {"report-2024.pdf", 245760, "2023-02-28 16:45 UTC"},
                            {"todo.md", 512, "2024-03-14 09:01 UTC"}, {"secrets.env", 733, "2024-04-30 08:15 UTC"}});
  QFile::setPermissions(dir + QStringLiteral("/build.sh"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                               QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
  QFile::link(QStringLiteral("build.sh"), dir + QStringLiteral("/latest"));
  return ok && touch(dir + QStringLiteral("/latest"), "2024-06-09 12:00 UTC") &&
         touch(dir + QStringLiteral("/Documents"), "2023-12-25 10:00 UTC");
}

Shot shoot(const Case& c, const QString& root) {
  const QString home = root + QStringLiteral("/alex"), runtime = root + QStringLiteral("/run");
  if (!programs::prepareHome(home, {}) || !listedFolder(home + QStringLiteral("/listing")) || !QDir().mkpath(runtime) ||
      !QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner))
    return {{}, {}, QStringLiteral("no home in ") + root};
  if (c.run) {
    const termlistings::Shot s = termlistings::shoot({QLatin1String(c.name), parts(c.args)}, QLatin1String(c.run),
                                                     QLatin1String(kTitle), home, c.size.width(), c.size.height());
    return {c.take == Take::Frame ? s.picked : s.dragged, s.truth, s.error};
  }
  xwindows::Bus bus;
  auto xdotool = [&](QStringList a) { xwindows::tool(QStringLiteral("xdotool"), a); };
  // The pointer off the windows: a tip would cover what it points at.
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  xdotool({QStringLiteral("mousemove"), QString::number(screen.right()), QString::number(screen.bottom())});
  const QStringList args = parts(c.args).replaceInStrings(QStringLiteral("%h"), home);
  xwindows::Started zenity(QLatin1String(c.program), args, programs::environment(home, runtime, bus.address(), {}), home);
  const QString id = zenity.running() ? xwindows::findWindow(zenity.pid(), 60000) : QString();
  if (id.isEmpty()) return {{}, {}, QStringLiteral("zenity showed no window")};
  if (c.size.isValid())
    xdotool({QStringLiteral("windowsize"), QStringLiteral("--sync"), id, QString::number(c.size.width()),
             QString::number(c.size.height())});
  if (c.typed) xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), id});
  for (const QString& field : parts(c.typed)) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("5"), field});
    xdotool({QStringLiteral("key"), QStringLiteral("Tab")});
  }
  const xwindows::Area area = [&c](const QRect& inside, const QMargins& frame) {
    if (c.take == Take::Inside) return inside;
    if (c.take == Take::Beyond) return inside.marginsAdded(frame + QMargins(5, 5, 5, 5));
    return xwindows::framed(inside, frame);
  };
  bool steady = false;
  QImage image = xwindows::steadyGrab(id, 1000, 200, 30000, &steady, area);
  return {steady ? image : QImage(), {}, steady ? QString() : QStringLiteral("the window kept changing")};
}

class RealWindows : public DetectorRoadTest, public ::testing::WithParamInterface<Case> {};

TEST_P(RealWindows, ReadAsTheWindowShowsThem) {
  const Case& c = GetParam();
  for (const char* tool : {c.program, "xdotool", "xwininfo", "xprop"}) {
    if (!xwindows::installed(QLatin1String(tool))) GTEST_SKIP() << tool << " comes with scripts/setup --test";
  }
  if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "grabs the screen of an X session";
  QTemporaryDir root;
  const Shot shot = shoot(c, root.path());
  ASSERT_TRUE(shot.error.isEmpty()) << shot.error.toStdString();
  const Recognized r = Recognizer::recognize(shot.image, {QStringLiteral("en-US")}, c.run != nullptr);
  const QString text = r.text();
  const QStringList lines = text.split(QLatin1Char('\n'));
  if (const QStringList want = parts(c.lines); !want.isEmpty()) {
    const qsizetype at = c.from >= 0 ? c.from : lines.indexOf(want.front());
    EXPECT_EQ(lines.mid(at, want.size()), want) << text.toStdString();
  }
  // The printed lines the case reads back: the listing's rows, or the code.
  const Printed& p = c.printed;
  QStringList printed = shot.printed.split(QLatin1Char('\n')).mid(1);
  printed.removeAll(QString());
  if (p.rows) printed = printed.filter(QRegularExpression(QLatin1String(p.rows)));
  ASSERT_GE(printed.size(), p.count) << shot.printed.toStdString();
  if (p.count && !p.rows) {
    // Every line read right is indented as printed, and most are (blank
    // lines leave no line in the text).
    const QStringList read = lines.filter(QRegularExpression(QStringLiteral("\\S")));
    ASSERT_GE(read.size(), printed.size()) << text.toStdString();
    int right = 0;
    for (qsizetype k = 0; k < printed.size(); ++k) {
      const QString& line = read[read.size() - printed.size() + k];
      if (line.trimmed() != printed[k].trimmed()) continue;
      ++right;
      EXPECT_EQ(line.toStdString(), printed[k].toStdString());
    }
    EXPECT_GE(100 * right, p.least * printed.size()) << text.toStdString();
  }
  if (!c.table.isValid()) {
    EXPECT_FALSE(r.table) << r.table->tsv().toStdString();
    return;
  }
  ASSERT_TRUE(r.table) << text.toStdString();
  const std::vector<QStringList>& rows = r.table->rows;
  const std::string tsv = r.table->tsv().toStdString();
  EXPECT_EQ(r.table->columnCount(), c.table.width()) << tsv;
  if (c.table.height()) {
    EXPECT_EQ(int(rows.size()), c.table.height()) << tsv;
  }
  const QStringList tsvRows = r.table->tsv().split(QLatin1Char('\n'));
  for (const QString& row : parts(c.rows)) EXPECT_TRUE(tsvRows.contains(row)) << row.toStdString() << "\n" << tsv;
  if (!p.rows) return;
  // The printed rows last in the table, in their order, each of all the
  // columns; most with their key fields whole.
  ASSERT_GE(rows.size(), size_t(printed.size()) + (p.header ? 1 : 0)) << tsv;
  const size_t first = rows.size() - size_t(printed.size());
  auto whole = [&](qsizetype k) {
    const QStringList fields = printed[k].split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QStringList& row = rows[first + size_t(k)];
    return std::all_of(p.keys.begin(), p.keys.end(), [&](int f) { return row.value(f) == fields.value(f); });
  };
  int kept = 0;
  for (qsizetype k = 0; k < printed.size(); ++k) {
    EXPECT_EQ(int(rows[first + size_t(k)].size()), c.table.width()) << tsv;
    kept += whole(k);
  }
  EXPECT_GE(100 * kept, p.least * printed.size()) << tsv;
  if (p.header) {
    EXPECT_TRUE(rows[first - 1].contains(QLatin1String(p.header))) << tsv;
    EXPECT_TRUE(whole(0)) << tsv;
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, RealWindows, ::testing::ValuesIn(kCases), [](const auto& info) {
  QString name = QString::fromLatin1(info.param.name);
  name.replace(QLatin1Char(' '), QLatin1Char('_'));
  return name.toStdString();
});

}  // namespace
