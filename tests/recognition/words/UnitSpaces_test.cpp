// A number and its unit in a column of their own, read by the detector's
// road: the space between them is kept, and a unit written close stays so.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "recognition/lines/LineRead.h"
#include "recognition/ReadPass.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"

namespace {

class UnitSpaces : public DetectorRoadTest {};

// The lines read with `key` from the detector's boxes of `image`.
std::vector<ocr::EngineLine> readLines(const QImage& image, const QString& key = QStringLiteral("eng")) {
  const auto found = ocr::findLines(image);
  if (!found) return {};
  return ocr::readLines(found->page, found->boxes, key).lines;
}

TEST_F(UnitSpaces, FileSizesInAColumnKeepTheirSpaceAndCloseUnitsStayClose) {
  // A file list's size column: single-digit sizes are the ones that lost
  // their space; "700KB" is written without one and must not gain it.
  const std::vector<QStringList> rows{{QStringLiteral("photo.jpg"), QStringLiteral("4 MB")},
                                      {QStringLiteral("notes.txt"), QStringLiteral("3 KB")},
                                      {QStringLiteral("report.pdf"), QStringLiteral("2 GB")},
                                      {QStringLiteral("movie.mkv"), QStringLiteral("700KB")}};
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    textimages::Style style = dark ? textimages::dark(13) : textimages::Style{};
    style.px = 13;
    const std::vector<ocr::EngineLine> lines = readLines(textimages::render(rows, style, 320, {16, 200}).image);
    QStringList read;
    for (const ocr::EngineLine& line : lines) read << line.text;
    const QString all = read.join(QLatin1Char('|'));
    for (const char* size : {"4 MB", "3 KB", "2 GB"})
      EXPECT_TRUE(read.contains(QString::fromLatin1(size))) << size << ": " << all.toStdString();
    // Whether its zeros come back as zeros is another matter.
    const QStringList close = read.filter(QStringLiteral("KB")).filter(QRegularExpression(QStringLiteral("^7")));
    ASSERT_EQ(close.size(), 1) << all.toStdString();
    EXPECT_FALSE(close.front().contains(QLatin1Char(' '))) << all.toStdString();
    // The number and the unit are words of their own, side by side, in the
    // source's pixels.
    for (const ocr::EngineLine& line : lines) {
      if (line.text != QLatin1String("4 MB")) continue;
      ASSERT_EQ(line.words.size(), 2u);
      EXPECT_EQ(line.words[0].text, QStringLiteral("4"));
      EXPECT_EQ(line.words[1].text, QStringLiteral("MB"));
      ASSERT_TRUE(line.words[0].box && line.words[1].box && line.box);
      EXPECT_LT(line.words[0].box->right(), line.words[1].box->left());
      EXPECT_TRUE(line.box->contains(*line.words[0].box) && line.box->contains(*line.words[1].box));
      EXPECT_GT(line.words[0].box->left(), 190);  // the size column starts at 200
      EXPECT_LT(line.words[1].box->right(), 320);
    }
  }
}

TEST_F(UnitSpaces, CyrillicSizesKeepTheirThreeAndTheirSpace) {
  // A Cyrillic model reads a lone "3" as the letter Ze, and the unit close
  // to it: "3 КБ" came back as "ЗКБ". A word in capitals that starts with
  // Ze ("ЗИП") keeps it.
  const std::vector<QStringList> rows{{QStringLiteral("отчёт.pdf"), QStringLiteral("2 МБ")},
                                      {QStringLiteral("заметки.txt"), QStringLiteral("3 КБ")},
                                      {QStringLiteral("архив.zip"), QStringLiteral("ЗИП")},
                                      {QStringLiteral("фото.jpg"), QStringLiteral("3 ГБ")}};
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    textimages::Style style = dark ? textimages::dark(13) : textimages::Style{};
    style.px = 13;
    QStringList read;
    for (const ocr::EngineLine& line : readLines(textimages::render(rows, style, 320, {16, 200}).image,
                                                 QStringLiteral("rus+eng")))
      read << line.text;
    const QString all = read.join(QLatin1Char('|'));
    for (const QString& size : {QStringLiteral("2 МБ"), QStringLiteral("3 КБ"), QStringLiteral("3 ГБ")})
      EXPECT_TRUE(read.contains(size)) << size.toStdString() << ": " << all.toStdString();
    // Whether the engine keeps its capitals is another matter.
    EXPECT_EQ(read.filter(QStringLiteral("зип"), Qt::CaseInsensitive).size(), 1) << all.toStdString();
    EXPECT_TRUE(read.filter(QStringLiteral("ИП")).filter(QStringLiteral("3")).isEmpty()) << all.toStdString();
  }
}

}  // namespace
