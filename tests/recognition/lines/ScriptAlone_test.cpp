// Short words of a script other than Latin standing alone in their boxes,
// read by the detector's road with the pass's own model and English: the
// cells come back in their script, not as the digits or Latin letters the
// English model makes of them.
#include <gtest/gtest.h>

#include "recognition/lines/LineRead.h"
#include "recognition/ReadPass.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"

namespace {

class ScriptAlone : public DetectorRoadTest {};

std::vector<QStringList> table(const std::vector<std::vector<const char*>>& cells) {
  std::vector<QStringList> rows;
  for (const auto& row : cells) {
    rows.emplace_back();
    for (const char* cell : row) rows.back() << QString::fromUtf8(cell);
  }
  return rows;
}

// The lines read with `key` from the detector's boxes of a file list drawn
// with columns at 16, 150 and 240 pixels.
QStringList readList(const std::vector<QStringList>& rows, const QString& key, int px, bool dark) {
  textimages::Style style = dark ? textimages::dark(px) : textimages::Style{};
  style.px = px;
  const auto found = ocr::findLines(textimages::render(rows, style, 360, {16, 150, 240}).image);
  if (!found) return {};
  QStringList read;
  for (const ocr::EngineLine& line : ocr::readLines(found->page, found->boxes, key).lines) read << line.text;
  return read;
}

TEST_F(ScriptAlone, DaysOfAJapaneseFileListReadAsJapaneseAndEnglishOnesStayEnglish) {
  // "今日" came back as "48", "金曜日" as "#28", "報告書" as "RAB".
  const auto rows = table({{"名前", "サイズ", "更新日"},
                           {"報告書.pdf", "2 MB", "今日"},
                           {"予算.xlsx", "86 KB", "昨日"},
                           {"写真.jpg", "4 MB", "金曜日"},
                           {"メモ.txt", "3 KB", "水曜日"}});
  for (const auto& [px, dark] : {std::pair{13, true}, std::pair{15, true}, std::pair{12, false}}) {
    SCOPED_TRACE(testing::Message() << px << (dark ? " dark" : " light"));
    const QStringList read = readList(rows, QStringLiteral("jpn+eng"), px, dark);
    const QString all = read.join(QStringLiteral(" | "));
    for (const char* day : {"今日", "昨日", "金曜日", "水曜日"})
      EXPECT_TRUE(read.contains(QString::fromUtf8(day))) << day << ": " << all.toStdString();
    EXPECT_EQ(read.filter(QString::fromUtf8("報告書")).size(), 1) << all.toStdString();
    // The sizes stay Latin: their read is not traded for one of the script.
    for (const char* size : {"2 MB", "86 KB", "4 MB", "3 KB"})
      EXPECT_TRUE(read.contains(QString::fromLatin1(size))) << size << ": " << all.toStdString();
  }
  {
    // A Latin page read by a Japanese pass (before the Latin re-read) keeps
    // its Latin words: short ones are not traded for look-alike kana.
    const auto rows = table({{"Name", "Size", "Modified"},
                             {"report.pdf", "2 MB", "Today"},
                             {"budget.xlsx", "86 KB", "Mon"},
                             {"notes.txt", "3 KB", "Fri"}});
    const QStringList read = readList(rows, QStringLiteral("jpn+eng"), 13, false);
    const QString all = read.join(QStringLiteral(" | "));
    for (QChar ch : all)
      EXPECT_FALSE(ch.isLetter() && ch.script() != QChar::Script_Latin) << all.toStdString();
    for (const char* word : {"Today", "Mon", "Fri", "Size"})
      EXPECT_TRUE(read.contains(QString::fromLatin1(word))) << word << ": " << all.toStdString();
  }
}

TEST_F(ScriptAlone, ChineseDayAloneInItsCellReadsAsChinese) {
  // "昨天" came back as "BER" in the dark.
  const auto rows = table({{"名称", "大小", "修改日期"},
                           {"报告.pdf", "2 MB", "今天"},
                           {"预算.xlsx", "86 KB", "昨天"},
                           {"照片.jpg", "4 MB", "星期五"}});
  const QStringList read = readList(rows, QStringLiteral("chi_sim+eng"), 13, true);
  for (const char* day : {"今天", "昨天", "星期五"})
    EXPECT_TRUE(read.contains(QString::fromUtf8(day))) << day << ": " << read.join(QStringLiteral(" | ")).toStdString();
}

}  // namespace
