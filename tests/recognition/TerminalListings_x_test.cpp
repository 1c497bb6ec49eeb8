// Listings in a real xterm in DejaVu Sans Mono, grabbed as a window pick and
// as a drag and read on the default road: `ls -l` comes out
// as a table of its nine whole fields, and
// `dpkg -l` as a table whose rule ("+++-===") is no row and whose package
// rows keep their status and name.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include "recognition/Recognizer.h"
#include "tests/recognition/TerminalListings.h"
#include "tests/support/TestEnv.h"

namespace {

const QStringList kEnglish{QStringLiteral("en-US")};

bool touch(const QString& path, const char* when) {
  return QProcess::execute(QStringLiteral("touch"), {QStringLiteral("-h"), QStringLiteral("-d"), QLatin1String(when), path}) == 0;
}

// A folder whose listing is the same everywhere but for its owner: names
// with dots, dashes and underscores, a folder, a link, right-aligned sizes,
// days of one and two digits, times and years.
QString listedFolder() {
  const QString dir = testenv::scratch() + QStringLiteral("/listing");
  QDir().mkpath(dir + QStringLiteral("/Documents"));
  struct File {
    const char* name;
    int bytes;
    const char* when;
  };
  bool ok = true;
  for (const File& f : {File{"build.sh", 20480, "2024-02-02 17:45 UTC"}, File{"notes.v2.md", 1210, "2024-03-01 11:00 UTC"},
                        File{"data_export_01.csv", 53248, "2024-03-12 07:20 UTC"}, File{"report-2024.pdf", 245760, "2023-02-28 16:45 UTC"},
                        File{"todo.md", 512, "2024-03-14 09:01 UTC"}, File{"secrets.env", 733, "2024-04-30 08:15 UTC"}}) {
    const QString path = dir + QLatin1Char('/') + QLatin1String(f.name);
    QFile file(path);
    ok = ok && file.open(QIODevice::WriteOnly) && file.write(QByteArray(f.bytes, 'x')) == f.bytes;
    file.close();
    ok = ok && touch(path, f.when);
  }
  QFile::setPermissions(dir + QStringLiteral("/build.sh"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                                                               QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
  QFile::link(QStringLiteral("build.sh"), dir + QStringLiteral("/latest"));
  ok = ok && touch(dir + QStringLiteral("/latest"), "2024-06-09 12:00 UTC") &&
       touch(dir + QStringLiteral("/Documents"), "2023-12-25 10:00 UTC");
  return ok ? dir : QString();
}

}  // namespace

TEST(TerminalListingsX, LsIsATableOfItsNineWholeFields) {
  const QString dir = listedFolder();
  ASSERT_FALSE(dir.isEmpty());
  // xterm's bitmap face is left out: its dashes touch, and the runs of them
  // in "-rw-------" and "-rw-r--r--" read as one long dash or none.
  for (const termlistings::Face& face : {termlistings::dejaVu(11), termlistings::dejaVu(13)}) {
    const termlistings::Shot shot =
        termlistings::shoot(face, QStringLiteral("ls -l"), QStringLiteral("listing"), dir, 100, 14);
    ASSERT_TRUE(shot.error.isEmpty()) << face.name.toStdString() << ": " << shot.error.toStdString();
    // The file lines and their fields: mode, links, owner, group, size,
    // month, day, time or year, name ("latest -> build.sh" is one).
    std::vector<QStringList> files;
    for (const QString& line : shot.truth.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
      QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
      if (fields.size() < 9) continue;
      fields[8] = fields.mid(8).join(QLatin1Char(' '));
      files.push_back(fields.mid(0, 9));
    }
    ASSERT_EQ(files.size(), 8u) << shot.truth.toStdString();
    for (bool picked : {false, true}) {
      SCOPED_TRACE(face.name.toStdString() + (picked ? " picked" : " dragged"));
      const Recognized result = Recognizer::recognize(picked ? shot.picked : shot.dragged, kEnglish, true);
      ASSERT_TRUE(result.table) << result.text().toStdString();
      EXPECT_EQ(result.table->columnCount(), 9) << result.table->tsv().toStdString();
      // Every field whole in its own cell, the files' rows last in the
      // listing's order: the links, size and date exactly (the modes'
      // dashes and a name's letters are still misread at times).
      const auto& rows = result.table->rows;
      ASSERT_GE(rows.size(), files.size());
      int whole = 0;
      for (size_t k = 0; k < files.size(); ++k) {
        const QStringList& f = files[k];
        const QStringList& row = rows[rows.size() - files.size() + k];
        ASSERT_EQ(row.size(), 9) << result.table->tsv().toStdString();
        whole += row[1] == f[1] && row[4] == f[4] && row[5] == f[5] && row[6] == f[6] && row[7] == f[7];
      }
      EXPECT_GE(whole, 7) << result.table->tsv().toStdString();
    }
  }
}

TEST(TerminalListingsX, DpkgRuleIsNoRowAndItsPackageRowsKeepStatusAndName) {
  const QString dir = testenv::scratch();
  // Enough rows against the four of the header that its words cross columns.
  const QString command = QStringLiteral("dpkg -l | head -30");
  // Also in xterm's bitmap face, whose two-level strokes are enlarged by a
  // whole factor and softened before they are read; a few of its names
  // still lose a letter there ("base-passwd" as "base-passud").
  // The window pick of the bitmap face as well: the frame on the image's
  // edge made the cleaning take the dot of the first "i" beside it for a
  // small mark ("1i"). (DejaVu's window pick is no table yet: its title and
  // status column come apart.)
  struct Case {
    termlistings::Face face;
    int leastPercentKept;
    std::vector<bool> picks;
  };
  for (const auto& [face, leastPercentKept, picks] :
       {Case{termlistings::fixedFace(), 80, {false, true}}, Case{termlistings::dejaVu(12), 90, {false}}}) {
    const termlistings::Shot shot = termlistings::shoot(face, command, QStringLiteral("packages"), dir, 172, 32);
    ASSERT_TRUE(shot.error.isEmpty()) << face.name.toStdString() << ": " << shot.error.toStdString();
    QStringList names;
    for (const QString& line : shot.truth.split(QLatin1Char('\n')))
      if (line.startsWith(QStringLiteral("ii "))) names << line.split(QLatin1Char(' '), Qt::SkipEmptyParts).value(1);
    ASSERT_GE(names.size(), 20) << shot.truth.toStdString();
    for (bool picked : picks) {
    SCOPED_TRACE(face.name.toStdString() + (picked ? " picked" : " dragged"));
    const Recognized result = Recognizer::recognize(picked ? shot.picked : shot.dragged, kEnglish, true);
    ASSERT_TRUE(result.table) << result.text().toStdString();
    const QString tsv = result.table->tsv();
    EXPECT_EQ(result.table->columnCount(), 5) << tsv.toStdString();
    // The header row is followed by the first package's: the rule between
    // them, however it was read, is no row.
    const auto header = std::find_if(result.table->rows.begin(), result.table->rows.end(),
                                      [](const QStringList& row) { return row.contains(QStringLiteral("Version")); });
    ASSERT_NE(header, result.table->rows.end()) << tsv.toStdString();
    ASSERT_NE(header + 1, result.table->rows.end()) << tsv.toStdString();
    EXPECT_EQ((header + 1)->value(1), names.front()) << tsv.toStdString();
    int kept = 0;
    for (const QString& name : names)
      kept += std::any_of(result.table->rows.begin(), result.table->rows.end(), [&](const QStringList& row) {
        return row.size() == 5 && row[0] == QLatin1String("ii") && row[1] == name;
      });
    EXPECT_GE(100 * kept, leastPercentKept * names.size()) << tsv.toStdString();
    }
  }
}
