#include "recognition/engines/Bands.h"

#include <gtest/gtest.h>

#include "tests/recognition/TextImages.h"

namespace {

bool rowIsGround(const ocr::Prepared& p, int y) {
  const uchar* row = p.image.constScanLine(y);
  for (int x = 0; x < p.image.width(); ++x)
    if (std::abs(int(row[x]) - p.ground) > 8) return false;
  return true;
}

ocr::Prepared sixLines() {
  return ocr::prepare(textimages::lines({"First line of text", "Second line", "Third line here", "Fourth",
                                         "Fifth line of the page", "Sixth and last"})
                          .image);
}

TEST(Bands, CutOnlyBetweenLinesCoverEveryRowAndShareTheLinesEvenly) {
  const ocr::Prepared p = sixLines();
  for (int count : {2, 3}) {
    const auto parts = ocr::bands(p, count);
    ASSERT_EQ(int(parts.size()), count);
    EXPECT_EQ(parts.front().top, 0);
    EXPECT_EQ(parts.back().bottom, p.image.height());
    for (size_t i = 1; i < parts.size(); ++i) {
      EXPECT_EQ(parts[i].top, parts[i - 1].bottom);
      EXPECT_TRUE(rowIsGround(p, parts[i].top)) << "cut through ink at row " << parts[i].top;
    }
  }
  // Six lines of equal pitch: about a third of the height each.
  for (const auto& b : ocr::bands(p, 3)) EXPECT_NEAR(b.bottom - b.top, p.image.height() / 3.0, p.image.height() / 8.0);
}

TEST(Bands, AccentsStayWithTheirLetters) {
  // Breves, umlauts and accents over short letters stand a blank row or two
  // above them; they belong to their line, and no cut may come between.
  textimages::Style style;
  style.px = 13;
  const QStringList lines{"ёжик и йод", "été ça", "über öl", "ежей", "ÉÀ"};
  const ocr::Prepared p = ocr::prepare(textimages::lines(lines, style).image);
  const auto spans = ocr::lineSpans(p);
  ASSERT_EQ(spans.size(), size_t(lines.size()));
  const auto parts = ocr::bands(p, int(lines.size()));
  ASSERT_EQ(parts.size(), size_t(lines.size()));
  for (size_t i = 0; i < parts.size(); ++i) {
    EXPECT_LE(parts[i].top, spans[i].top);
    EXPECT_GE(parts[i].bottom, spans[i].bottom);
  }
}

TEST(Bands, OneBandWhenThereIsLittleToShare) {
  const ocr::Prepared p = ocr::prepare(textimages::lines({"One line", "Two lines"}).image);
  EXPECT_EQ(ocr::bands(p, 3).size(), 1u);
  EXPECT_EQ(ocr::bands(p, 2).size(), 2u);
  QImage white(200, 100, QImage::Format_RGB32);
  white.fill(Qt::white);
  EXPECT_EQ(ocr::bands(ocr::prepare(white), 4).size(), 1u);
  EXPECT_TRUE(ocr::bands(ocr::Prepared{}, 2).empty());
}

TEST(Bands, BandImageIsTheRowsWithGroundAround) {
  const ocr::Prepared p = sixLines();
  const auto parts = ocr::bands(p, 2);
  const QImage second = ocr::bandImage(p, parts[1], 7);
  ASSERT_EQ(second.width(), p.image.width());
  ASSERT_EQ(second.height(), parts[1].bottom - parts[1].top + 14);
  EXPECT_EQ(second.pixelColor(0, 0).value(), p.ground);
  for (int y = parts[1].top; y < parts[1].bottom; y += 3)
    EXPECT_EQ(0, std::memcmp(second.constScanLine(y - parts[1].top + 7), p.image.constScanLine(y), size_t(p.image.width())));
}

}  // namespace
