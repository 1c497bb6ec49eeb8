// Text drawn without anti-aliasing is told from rendered text by its grey
// levels alone, and enlarged bitmap strokes get soft edges without their
// letters running together.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>

#include "recognition/lines/BitmapText.h"

namespace {

QImage line(bool antialiased, QColor ink, QColor ground) {
  QImage image(260, 24, QImage::Format_Grayscale8);
  image.fill(ground);
  QPainter painter(&image);
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPixelSize(13);
  font.setStyleStrategy(antialiased ? QFont::PreferAntialias : QFont::NoAntialias);
  painter.setFont(font);
  painter.setPen(ink);
  painter.drawText(4, 17, QStringLiteral("-rwxr-xr-x 1 root root 17"));
  return image;
}

TEST(BitmapText, TellsTwoLevelInkFromAntiAliasedText) {
  struct Case {
    bool antialiased;
    QColor ink, ground;
    bool twoLevel;
  } cases[] = {
      {false, Qt::black, Qt::white, true},
      {false, QColor(60, 60, 60), QColor(230, 230, 230), true},
      {true, Qt::black, Qt::white, false},
      {true, QColor(60, 60, 60), QColor(230, 230, 230), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.antialiased ? "anti-aliased" : "bitmap");
    EXPECT_EQ(ocr::twoLevel(line(c.antialiased, c.ink, c.ground), qGray(c.ground.rgb())), c.twoLevel);
  }
  // A blank line and a lone dash tell nothing.
  QImage blank(40, 20, QImage::Format_Grayscale8);
  blank.fill(255);
  EXPECT_FALSE(ocr::twoLevel(blank, 255));
  blank.scanLine(10)[5] = 0;
  EXPECT_FALSE(ocr::twoLevel(blank, 255));
}

TEST(BitmapText, EnlargesByTheFactorWithSoftEdgesAndKeepsGapsBetweenStrokes) {
  // Two one-pixel strokes three pixels apart.
  QImage strokes(9, 8, QImage::Format_Grayscale8);
  strokes.fill(255);
  for (int y = 1; y < 7; ++y) strokes.scanLine(y)[2] = strokes.scanLine(y)[6] = 0;
  for (int factor : {2, 3, 4}) {
    SCOPED_TRACE(factor);
    const QImage big = ocr::enlargedBitmap(strokes, factor);
    ASSERT_EQ(big.size(), strokes.size() * factor);
    const uchar* row = big.constScanLine(4 * factor);
    const int centre = 2 * factor + factor / 2, between = 4 * factor + factor / 2;
    EXPECT_LT(row[centre], 160);    // the stroke stays dark
    EXPECT_GT(row[between], 200);   // the gap stays light
    // Greys between the levels at the stroke's edge.
    EXPECT_TRUE(std::any_of(row, row + big.width(), [](uchar v) { return v > 40 && v < 215; }));
  }
}

}  // namespace
