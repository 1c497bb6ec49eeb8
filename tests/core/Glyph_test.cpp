#include "core/Glyph.h"

#include <gtest/gtest.h>

#include <QPixmap>

namespace {

// Rendered at 180 px the glyph's units are 10 pixels each.
constexpr int kSize = 180;
constexpr qreal kUnit = kSize / 18.0;

QImage render(Glyph g, bool dark = false) { return glyphImage(g, kSize, 1.0, dark); }

bool painted(const QImage& img, qreal ux, qreal uy) {
  return qAlpha(img.pixel(int(ux * kUnit), int(uy * kUnit))) > 200;
}

// Mean row (in units) of the painted pixels of one column within [top, bottom] units.
double meanRow(const QImage& img, qreal ux, qreal top, qreal bottom) {
  const int x = int(ux * kUnit);
  double sum = 0;
  int n = 0;
  for (int y = int(top * kUnit); y <= int(bottom * kUnit); ++y) {
    if (qAlpha(img.pixel(x, y)) > 128) {
      sum += y;
      ++n;
    }
  }
  return n ? sum / n / kUnit : -1;
}

// Line positions (centres, in units) of the three text lines.
constexpr qreal kLineX = 9;
constexpr qreal kLines[] = {7.0, 9.3, 11.6};

}  // namespace

TEST(Glyph, AllVariantsHaveTheFourBrackets) {
  for (Glyph g : {Glyph::idle, Glyph::picking, Glyph::picked}) {
    const QImage img = render(g);
    EXPECT_TRUE(painted(img, 2.5, 4));     // top-left, vertical arm
    EXPECT_TRUE(painted(img, 4, 2.5));     // top-left, horizontal arm
    EXPECT_TRUE(painted(img, 15.5, 4));    // top-right
    EXPECT_TRUE(painted(img, 15.5, 14));   // bottom-right
    EXPECT_TRUE(painted(img, 4, 15.5));    // bottom-left
    EXPECT_FALSE(painted(img, 9, 2.5));    // the gap between two brackets
    EXPECT_FALSE(painted(img, 2.5, 9));
    EXPECT_FALSE(painted(img, 1.5, 1.5));  // butt caps: nothing beyond the corner
  }
}

TEST(Glyph, PickingHasBracketsOnly) {
  const QImage img = render(Glyph::picking);
  for (qreal y : kLines) EXPECT_FALSE(painted(img, kLineX, y)) << y;
  EXPECT_FALSE(painted(img, 12, 8.3));
}

TEST(Glyph, IdleHasThreeLinesTheLastShort) {
  const QImage img = render(Glyph::idle);
  for (qreal y : kLines) EXPECT_TRUE(painted(img, kLineX, y)) << y;
  EXPECT_TRUE(painted(img, 12, kLines[0]));
  EXPECT_TRUE(painted(img, 12, kLines[1]));
  EXPECT_FALSE(painted(img, 11, kLines[2]));  // the short line ends at 10
  EXPECT_FALSE(painted(img, kLineX, 8.2));    // gaps between the lines
  EXPECT_FALSE(painted(img, kLineX, 10.5));
}

TEST(Glyph, PickedSealReplacesTheMiddleLineTiltedUpToTheRight) {
  const QImage img = render(Glyph::picked);
  EXPECT_TRUE(painted(img, kLineX, kLines[0]));
  EXPECT_TRUE(painted(img, kLineX, kLines[2]));
  // The seal reaches past the lines on the right, where the middle line never did.
  EXPECT_TRUE(painted(img, 14, 8.0));
  const double left = meanRow(img, 7.5, 7.8, 10.6);
  const double right = meanRow(img, 14, 6.5, 10.6);
  ASSERT_GT(left, 0);
  ASSERT_GT(right, 0);
  // 6.5 units apart at 8 degrees: about 0.9 units of rise.
  EXPECT_NEAR(left - right, 6.5 * std::sin(8 * M_PI / 180), 0.25);
}

TEST(Glyph, InkFollowsThePanel) {
  const QImage light = render(Glyph::idle, false);
  const QImage dark = render(Glyph::idle, true);
  const QPoint bracket(int(2.5 * kUnit), int(4 * kUnit));
  EXPECT_EQ(light.pixel(bracket), qRgb(0, 0, 0));
  EXPECT_EQ(dark.pixel(bracket), qRgb(0xE4, 0xDD, 0xCF));
  EXPECT_EQ(qAlpha(dark.pixel(0, 0)), 0);
}

TEST(Glyph, PixelRatioScalesTheDrawing) {
  const QImage img = glyphImage(Glyph::idle, 16, 2.0, false);
  EXPECT_EQ(img.size(), QSize(32, 32));
  EXPECT_EQ(img.devicePixelRatio(), 2.0);
  // The right bracket sits at 15.5 / 18 of the device width, not of the logical one.
  EXPECT_GT(qAlpha(img.pixel(int(15.5 / 18 * 32), int(4.0 / 18 * 32))), 128);
  EXPECT_GT(qAlpha(img.pixel(int(kLineX / 18 * 32), int(kLines[0] / 18 * 32))), 128);
}

TEST(Glyph, IconCarriesTraySizes) {
  const QIcon icon = glyphIcon(Glyph::picked, false);
  const QList<QSize> sizes = icon.availableSizes();
  for (int s : {16, 22, 24, 32, 48}) EXPECT_TRUE(sizes.contains(QSize(s, s))) << s;
  const QImage img = icon.pixmap(QSize(48, 48)).toImage();
  EXPECT_GT(qAlpha(img.pixel(int(2.5 / 18 * 48), int(4.0 / 18 * 48))), 128);
}
