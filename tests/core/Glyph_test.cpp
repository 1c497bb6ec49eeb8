#include "core/Glyph.h"

#include <gtest/gtest.h>

#include <QPixmap>
#include <cmath>

namespace {

// Rendered at 180 px the glyph's units are 10 pixels each.
constexpr qreal kUnit = 10;

QImage render(Glyph g, bool dark = false) { return glyphImage(g, 180, 1.0, dark); }

bool painted(const QImage& img, qreal ux, qreal uy) {
  return qAlpha(img.pixel(int(ux * kUnit), int(uy * kUnit))) > 200;
}

// Mean row (in units) of the painted pixels of one column within [top, bottom] units.
double meanRow(const QImage& img, qreal ux, qreal top, qreal bottom) {
  double sum = 0;
  int n = 0;
  for (int y = int(top * kUnit); y <= int(bottom * kUnit); ++y) {
    if (qAlpha(img.pixel(int(ux * kUnit), y)) > 128) {
      sum += y;
      ++n;
    }
  }
  return n ? sum / n / kUnit : -1;
}

TEST(Glyph, VariantsShareTheBracketsAndDifferInTheirLines) {
  for (Glyph g : {Glyph::idle, Glyph::picking, Glyph::picked}) {
    SCOPED_TRACE(int(g));
    const QImage img = render(g);
    // Four brackets, the gaps between them, butt caps: nothing beyond a corner.
    for (auto [x, y] : {std::pair{2.5, 4.0}, {4.0, 2.5}, {15.5, 4.0}, {15.5, 14.0}, {4.0, 15.5}}) {
      EXPECT_TRUE(painted(img, x, y)) << x << "," << y;
    }
    for (auto [x, y] : {std::pair{9.0, 2.5}, {2.5, 9.0}, {1.5, 1.5}, {2.5, 6.4}}) EXPECT_FALSE(painted(img, x, y)) << x << "," << y;
    // Lines at 7.0, 9.3 and 11.6: idle has all three (the last short), picked
    // the first and last with the seal for the middle, picking none.
    EXPECT_EQ(painted(img, 9, 7.0), g != Glyph::picking);
    EXPECT_EQ(painted(img, 9, 11.6), g != Glyph::picking);
    EXPECT_EQ(painted(img, 12, 9.3), g == Glyph::idle);
    EXPECT_FALSE(painted(img, 11, 11.6));
    EXPECT_EQ(painted(img, 14, 8.0), g == Glyph::picked);  // the seal reaches past the lines
    EXPECT_FALSE(painted(img, 9, 10.5));
  }
}

TEST(Glyph, PickedSealIsTiltedUpToTheRight) {
  const QImage img = render(Glyph::picked);
  const double left = meanRow(img, 7.5, 7.8, 10.6);
  const double right = meanRow(img, 14, 6.5, 10.6);
  ASSERT_GT(left, 0);
  ASSERT_GT(right, 0);
  // 6.5 units apart at 8 degrees: about 0.9 units of rise.
  EXPECT_NEAR(left - right, 6.5 * std::sin(8 * M_PI / 180), 0.25);
}

TEST(Glyph, InkFollowsThePanelAndThePixelRatio) {
  EXPECT_EQ(render(Glyph::idle, false).pixel(25, 40), qRgb(0, 0, 0));
  EXPECT_EQ(render(Glyph::idle, true).pixel(25, 40), qRgb(0xE4, 0xDD, 0xCF));
  const QImage sharp = glyphImage(Glyph::idle, 16, 2.0, false);
  EXPECT_EQ(sharp.size(), QSize(32, 32));
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  // The right bracket sits at 15.5 / 18 of the device width, not of the logical one.
  EXPECT_GT(qAlpha(sharp.pixel(int(15.5 / 18 * 32), int(4.0 / 18 * 32))), 128);
  const QIcon icon = glyphIcon(Glyph::picked, false);
  for (int s : {16, 22, 24, 32, 48}) EXPECT_TRUE(icon.availableSizes().contains(QSize(s, s))) << s;
}

}  // namespace
