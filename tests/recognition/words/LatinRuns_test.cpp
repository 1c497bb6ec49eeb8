// File names of scripts without Latin look-alikes and a Latin extension,
// read on the detector's road: the extension read as Latin, the name in its
// own script, the dot between them.
#include <gtest/gtest.h>

#include "recognition/words/DotGaps.h"
#include "recognition/lines/LineRead.h"
#include "recognition/clean/Prepare.h"
#include "recognition/ReadPass.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/FileLists.h"
#include "tests/recognition/TextImages.h"

namespace {

class LatinRunsRead : public DetectorRoadTest {};

// A file list as a dialog shows it, read with `key` on the detector's road.
QStringList readList(const std::vector<QStringList>& rows, const QString& family, int px, bool dark,
                     const QString& key) {
  textimages::Style style = dark ? textimages::dark(px) : textimages::Style{};
  style.family = family;
  style.px = px;
  return filelists::read(rows, style, key);
}

TEST_F(LatinRunsRead, ExtensionsReadAsLatinBesideNamesInTheirScript) {
  struct Case {
    const char* key;
    const char* family;
    int px;
    bool dark;
    std::vector<QStringList> rows;
  };
  const Case cases[] = {
      {"kor+eng", "Noto Sans CJK KR", 13, false,
       {{QString::fromUtf8("예산.xlsx"), QStringLiteral("86 KB")}, {QString::fromUtf8("사진.jpg"), QStringLiteral("4 MB")}}},
      {"jpn+eng", "Noto Sans CJK JP", 13, false,
       {{QString::fromUtf8("予算.xlsx"), QStringLiteral("86 KB")}, {QString::fromUtf8("メモ.txt"), QStringLiteral("3 KB")}}},
      {"chi_sim+eng", "Noto Sans CJK SC", 13, false,
       {{QString::fromUtf8("预算.xlsx"), QStringLiteral("86 KB")}, {QString::fromUtf8("笔记.txt"), QStringLiteral("3 KB")}}},
      {"ara+eng", "Noto Sans Arabic", 13, false,
       {{QString::fromUtf8("تقرير.pdf"), QStringLiteral("2 MB")}, {QString::fromUtf8("ملاحظات.txt"), QStringLiteral("3 KB")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const QStringList read = readList(c.rows, QString::fromUtf8(c.family), c.px, c.dark, QString::fromLatin1(c.key));
    const QString all = read.join(QLatin1Char('|'));
    for (const QStringList& row : c.rows)
      EXPECT_TRUE(all.contains(row[0])) << row[0].toStdString() << ": " << all.toStdString();
  }
}

// The dot of a file name is found where the parts of the name's last
// syllable or its marks below stand off the line's baseline, and where the
// dot of a "j" reaches over it; a colon and a middle dot are no such dot.
TEST(LatinRunsDots, DotsBesideScriptsAndBeforeAJ) {
  struct Case {
    const char* family;
    const char* text;
  };
  for (const Case& c : {Case{"Noto Sans CJK KR", "사진.jpg"}, Case{"Noto Sans Arabic", "صورة.jpg"}})
    for (int px : {24, 32}) {
      textimages::Style style;
      style.family = QString::fromUtf8(c.family);
      style.px = px;
      const QImage image = ocr::grey(textimages::render({{QString::fromUtf8(c.text)}}, style).image);
      EXPECT_EQ(ocr::innerDots(image, 255).size(), 1u) << c.text << " at " << px;
    }
  for (const char* text : {"a:b", "a · b", "사진: jpg"}) {
    textimages::Style style;
    style.family = QStringLiteral("Noto Sans CJK KR");
    style.px = 24;
    EXPECT_TRUE(ocr::innerDots(ocr::grey(textimages::render({{QString::fromUtf8(text)}}, style).image), 255).empty())
        << text;
  }
}

}  // namespace
