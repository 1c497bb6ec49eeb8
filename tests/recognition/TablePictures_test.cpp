// Tables, and pictures that only look a little like one, rendered here and
// read by the real engines: what a user picks on screen.
#include <gtest/gtest.h>

#include <cmath>

#include "recognition/Recognizer.h"
#include "recognition/tables/TableColumns.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TableImages.h"
#include "tests/support/Printers.h"

namespace {

const QStringList kEnglish{QStringLiteral("en-US")};

// The free strips of the word rows by the plain rule (columns no row or
// almost no row covers, half a word high wide): what made a table of a
// picture before word spaces were measured.
size_t freeStrips(const std::vector<std::vector<Piece>>& rows) {
  std::vector<double> heights;
  double x0 = 1e9, x1 = -1e9;
  for (const auto& row : rows)
    for (const Piece& w : row) {
      heights.push_back(w.rect.height);
      x0 = std::min(x0, w.rect.minX());
      x1 = std::max(x1, w.rect.maxX());
    }
  if (heights.empty()) return 0;
  std::sort(heights.begin(), heights.end());
  const int W = int(std::ceil(x1 - x0));
  return tables::freeStrips(tables::columnCover(rows, x0, W), int(rows.size() / 5), x0, heights[heights.size() / 2])
      .size();
}

TEST(TablePictures, ProseInAMonospaceFaceIsNoTable) {
  struct Face {
    const char* family;
    int px;
  };
  for (const Face& face : {Face{"DejaVu Sans Mono", 14}, Face{"Nimbus Mono PS", 17}, Face{"DejaVu Sans Mono", 11}}) {
    SCOPED_TRACE(std::string(face.family) + " " + std::to_string(face.px));
    const QImage image = tableimages::monospace(tableimages::minutes(), QString::fromLatin1(face.family), face.px);
    const Recognizer::Pass pass = Recognizer::read(image, kEnglish);
    ASSERT_EQ(pass.result.lines.size(), 5u) << pass.result.text().toStdString();
    // The spaces do line up into strips from top to bottom...
    EXPECT_GE(freeStrips(pass.result.words), 3u);
    // ...no wider than the spaces between the words of each line.
    EXPECT_FALSE(pass.result.table) << pass.result.table->tsv().toStdString();
  }
}

TEST(TablePictures, AFormOfRealWidgetsIsNoTable) {
  const Recognizer::Pass pass = Recognizer::read(tableimages::form(), kEnglish);
  const QString text = pass.result.text();
  for (const char* label : {"Full name:", "Ada Lovelace", "Photo:", "Browse", "Remember these details", "Cancel"})
    EXPECT_TRUE(text.contains(QString::fromUtf8(label))) << label << " in " << text.toStdString();
  EXPECT_GE(freeStrips(pass.result.words), 2u) << "labels, fields and buttons stand in columns";
  EXPECT_FALSE(pass.result.table) << pass.result.table->tsv().toStdString();
}

void expectTerminalListingTable() {
  const QImage image = tableimages::monospace(tableimages::listing(), QStringLiteral("DejaVu Sans Mono"), 14);
  const Recognized result = Recognizer::recognize(image, kEnglish, true);
  ASSERT_TRUE(result.table) << result.text().toStdString();
  const auto& rows = result.table->rows;
  ASSERT_EQ(rows.size(), 7u);
  EXPECT_EQ(result.table->columnCount(), 9);
  EXPECT_EQ(rows[0][0], "total 56");
  EXPECT_EQ(rows[1], (QStringList{"-rw-r--r--", "1", "ada", "staff", "4096", "Jan", "5", "10:22", "notes.txt"}));
  EXPECT_EQ(rows[2], (QStringList{"drwxr-xr-x", "2", "ada", "staff", "12288", "Dec", "25", "2023", "Documents"}));
  EXPECT_EQ(rows[3], (QStringList{"-rw-r--r--", "1", "root", "root", "512", "Mar", "14", "09:01", "todo.md"}));
  EXPECT_EQ(rows[5].last(), "secrets.env");
}

TEST(TablePictures, ATerminalListingIsATableOfItsColumns) { expectTerminalListingTable(); }

// The detector's pieces of a row reach into each other there ("12288 Dec 25"
// and "2023 Documents"): neither may read the other's digit.
class TablePicturesOnDetectorRoad : public DetectorRoadTest {};
TEST_F(TablePicturesOnDetectorRoad, ATerminalListingIsATableOfItsColumns) { expectTerminalListingTable(); }

TEST(TablePictures, AProportionalTableWithWordSpacesInItsCells) {
  const std::vector<QStringList> rows{{"Name", "Size", "Modified"},
                                      {"Annual report.pdf", "2.4 MB", "12 May 2024"},
                                      {"Budget plan.xlsx", "86 KB", "Last Monday"},
                                      {"Team photo.png", "512 KB", "3 March 2023"},
                                      {"notes.txt", "3 KB", "Today"}};
  textimages::Style style;
  style.px = 16;
  style.pitch = 1.8;
  const auto drawn = textimages::render(rows, style, 0, {16, 230, 360});
  const Recognized result = Recognizer::recognize(drawn.image, kEnglish, true);
  ASSERT_TRUE(result.table) << result.text().toStdString();
  EXPECT_EQ(result.table->rows, rows);
}

// Right-aligned columns of an Arabic window; the first column is the rightmost.
const std::vector<int> kRightEdges{560, 380, 200};

// The rows drawn as an Arabic window shows them, read for Arabic.
Recognized readArabic(const std::vector<QStringList>& rows) {
  const auto drawn = tableimages::rightToLeft(rows, QStringLiteral("Noto Sans Arabic"), kRightEdges);
  return Recognizer::recognize(drawn.image, {QStringLiteral("ar-SA")}, true);
}

TEST(TablePictures, AnArabicTableReadsFromItsRightmostColumn) {
  const std::vector<QStringList> rows{{"الاسم", "المدينة", "المهنة"},
                                      {"أحمد", "القاهرة", "مهندس"},
                                      {"محمد علي", "بيروت", "محاسب"},
                                      {"سارة", "دبي", "طبيبة"},
                                      {"عمر", "عمان", "معلم"}};
  const Recognized result = readArabic(rows);
  ASSERT_TRUE(result.table) << result.text().toStdString();
  EXPECT_EQ(result.table->rows, rows);
  EXPECT_TRUE(result.table->tsv().startsWith(QString::fromUtf8("الاسم\tالمدينة\tالمهنة\nأحمد\t")));
  EXPECT_TRUE(result.table->html().contains(QString::fromUtf8("<tr><td>محمد علي</td><td>بيروت</td>")));
  EXPECT_EQ(textimages::rowTexts(result)[2], QString::fromUtf8("محمد علي بيروت محاسب"));
}

TEST(TablePictures, AnArabicTableWithLatinNumbersKeepsEachInItsCell) {
  const std::vector<QStringList> rows{{"الاسم", "العمر", "الحجم"},
                                      {"أحمد", "34", "12 KB"},
                                      {"سارة", "28", "1500 KB"},
                                      {"عمر", "45", "980 KB"},
                                      {"خالد", "31", "64 KB"}};
  const Recognized result = readArabic(rows);
  ASSERT_TRUE(result.table) << result.text().toStdString();
  EXPECT_EQ(result.table->rows, rows);
  // The lines read the same way: name, age, then the size as it is written.
  EXPECT_EQ(textimages::rowTexts(result)[1], QString::fromUtf8("أحمد 34 12 KB"));
}

TEST(TablePictures, AHebrewTableFromWhereItsWordsWereDrawn) {
  // No Hebrew reading model ships with the engine: the words' boxes and
  // texts come from the drawing itself.
  const std::vector<QStringList> rows{
      {"שם", "עיר", "מקצוע"}, {"דוד", "חיפה", "מורה"}, {"שרה", "תל אביב", "רופאה"}, {"משה", "ירושלים", "נהג"}};
  const auto drawn = tableimages::rightToLeft(rows, QStringLiteral("Noto Sans Hebrew"), kRightEdges);
  const auto table = Recognizer::detectTable(Recognizer::group(drawn.words));
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows, rows);
  EXPECT_EQ(table->tsv().split(QLatin1Char('\n'))[2], QString::fromUtf8("שרה\tתל אביב\tרופאה"));
}

}  // namespace
