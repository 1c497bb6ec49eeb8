// File names in scripts other than Latin, read by the detector's road: name
// and extension each in its own language, joined again.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>

#include "recognition/words/DotGaps.h"
#include "recognition/lines/LineRead.h"
#include "recognition/clean/Prepare.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/FileLists.h"
#include "tests/recognition/TextImages.h"

namespace {

// One line of dark text on white, grey, large enough to measure.
QImage line(const QString& text, const QString& family = QStringLiteral("Noto Sans"), int px = 30) {
  textimages::Style style;
  style.family = family;
  style.px = px;
  return ocr::grey(textimages::render({{text}}, style).image);
}

TEST(DotGaps, OnlyADotInsideAWordGetsRoom) {
  EXPECT_EQ(ocr::innerDots(line(QStringLiteral("report.pdf")), 255).size(), 1u);
  EXPECT_EQ(ocr::innerDots(line(QString::fromUtf8("отчёт.pdf")), 255).size(), 1u);
  EXPECT_EQ(ocr::innerDots(line(QStringLiteral("v1.2.3 build")), 255).size(), 2u);
  // A full stop before a space, the dots of colons and semicolons, an
  // ellipsis, an "i" and a comma are not.
  for (const char* text : {"The end. Next one", "Time: 12:30; done", "Wait... then", "tiny ink", "one, two"})
    EXPECT_TRUE(ocr::innerDots(line(QString::fromUtf8(text)), 255).empty()) << text;
}

TEST(DotGaps, WordsAcrossAnOpenedGapAreOneAgainInTheFirstImagesPixels) {
  const std::vector<ocr::DotGap> gaps{{50, 10}, {120, 6}};
  // Read from the opened image: "name." ends before the first gap, "ext"
  // starts after it; "v1." and "2" sit on both sides of the second.
  ocr::EngineLine read{QStringLiteral("name. ext v1. 2 end"), 0.9, QRect(0, 0, 200, 20),
                       {{QStringLiteral("name."), QRect(0, 0, 50, 20)},
                        {QStringLiteral("ext"), QRect(62, 0, 30, 20)},
                        {QStringLiteral("v1."), QRect(100, 0, 30, 20)},
                        {QStringLiteral("2"), QRect(137, 0, 10, 20)},
                        {QStringLiteral("end"), QRect(160, 0, 40, 20)}}};
  ocr::closeDotGaps(read, gaps);
  EXPECT_EQ(read.text, QStringLiteral("name.ext v1.2 end"));
  ASSERT_EQ(read.words.size(), 3u);
  EXPECT_EQ(read.words[0].text, QStringLiteral("name.ext"));
  EXPECT_EQ(*read.words[0].box, QRect(QPoint(0, 0), QPoint(81, 19)));
  EXPECT_EQ(*read.words[1].box, QRect(QPoint(90, 0), QPoint(130, 19)));
  EXPECT_EQ(*read.words[2].box, QRect(QPoint(144, 0), QPoint(183, 19)));
  EXPECT_EQ(*read.box, QRect(QPoint(0, 0), QPoint(183, 19)));

  // The opened image holds the first one's columns around the room.
  const QImage image = line(QStringLiteral("a.b"));
  const auto dots = ocr::innerDots(image, 255);
  ASSERT_EQ(dots.size(), 1u);
  const QImage opened = ocr::withGaps(image, dots, 255);
  ASSERT_EQ(opened.width(), image.width() + dots[0].width);
  for (int y = 0; y < image.height(); ++y) {
    EXPECT_EQ(std::memcmp(opened.constScanLine(y), image.constScanLine(y), size_t(dots[0].at)), 0);
    EXPECT_EQ(std::memcmp(opened.constScanLine(y) + dots[0].at + dots[0].width, image.constScanLine(y) + dots[0].at,
                          size_t(image.width() - dots[0].at)),
              0);
  }
}

class DotGapsRead : public DetectorRoadTest {};

// A file list as a dialog shows it at 13 px, read with `key` on the
// detector's road.
QStringList readList(const std::vector<QStringList>& rows, const QString& family, const QString& key) {
  textimages::Style style;
  style.family = family;
  style.px = 13;
  return filelists::read(rows, style, key);
}

TEST_F(DotGapsRead, FileNamesKeepTheirScriptAndTheirExtension) {
  struct Case {
    const char* key;
    const char* family;
    std::vector<QStringList> rows;
  };
  const Case cases[] = {
      {"rus+eng", "Noto Sans",
       {{QString::fromUtf8("отчёт.pdf"), QString::fromUtf8("2 МБ")},
        {QString::fromUtf8("бюджет.xlsx"), QString::fromUtf8("86 КБ")},
        {QString::fromUtf8("фото.jpg"), QString::fromUtf8("4 МБ")}}},
      {"kor+eng", "Noto Sans CJK KR",
       {{QString::fromUtf8("보고서.pdf"), QStringLiteral("2 MB")}, {QString::fromUtf8("메모.txt"), QStringLiteral("3 KB")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const QStringList read = readList(c.rows, QString::fromUtf8(c.family), QString::fromLatin1(c.key));
    const QString all = read.join(QLatin1Char('|'));
    for (const QStringList& row : c.rows) EXPECT_TRUE(read.contains(row[0])) << row[0].toStdString() << ": " << all.toStdString();
  }
}

TEST_F(DotGapsRead, AFootTakenForADotThatDoesNotReadAsOneKeepsItsWord) {
  // At 11 px the foot of "л" stands apart on the baseline like a dot: opened
  // there, "или" read as "и!пи" and "приложение" as "при,пожение".
  const QStringList lines{QString::fromUtf8("Ваши изменения сохранены в 10:42. Чтобы поделиться"),
                          QString::fromUtf8("документом, нажмите «Поделиться» и введите имена или"),
                          QString::fromUtf8("адреса электронной почты людей, которых хотите"),
                          QString::fromUtf8("4. Перезапустите приложение")};
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    QFont font(QStringLiteral("Noto Sans"));
    font.setPixelSize(11);
    const QFontMetrics fm(font);
    QImage image(360, 12 * 2 + int(fm.lineSpacing() * 1.7 * lines.size()), QImage::Format_RGB32);
    image.fill(dark ? QColor(32, 33, 36) : QColor(Qt::white));
    QPainter p(&image);
    p.setFont(font);
    p.setPen(dark ? QColor(232, 234, 237) : QColor(32, 33, 36));
    for (int i = 0; i < lines.size(); ++i)
      p.drawText(QRect(12, 12 + int(fm.lineSpacing() * 1.7 * i), 340, fm.height()), Qt::AlignLeft | Qt::AlignTop, lines[i]);
    p.end();
    const QString text =
        Recognizer::recognize(image, {QStringLiteral("ru-RU"), QStringLiteral("en-US")}, true).text();
    EXPECT_TRUE(text.contains(QString::fromUtf8("имена или"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromUtf8("Перезапустите приложение"))) << text.toStdString();
  }
}

}  // namespace
