#include "core/AppMark.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/Canvas.h"

namespace {

using State = AppMark::State;

// Draws a mark into a transparent image: rect in logical units, scale pixels per unit.
QImage render(QSizeF canvas, QRectF rect, State state, qreal phase = 0, qreal scale = 1) {
  return testenv::painted(canvas, [&](QPainter& p) { AppMark::draw(p, rect, state, phase, true); }, scale);
}

// A 360-pixel mark: design unit u sits at pixel (u - 10) * 2.
QImage big(State state, qreal phase = 0) { return render({180, 180}, {0, 0, 180, 180}, state, phase, 2); }
QPoint at(qreal ux, qreal uy) { return {int((ux - 10) * 2), int((uy - 10) * 2)}; }

bool isInk(QRgb c) { return qAlpha(c) > 240 && qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60; }
bool isSeal(QRgb c) {
  return qAlpha(c) > 240 && std::abs(qRed(c) - 0xC4) < 12 && std::abs(qGreen(c) - 0x55) < 12 &&
         std::abs(qBlue(c) - 0x3A) < 12;
}

// Mean row (pixels) of the seal-coloured pixels of one column; -1 when none.
double sealRow(const QImage& img, qreal ux) {
  const int x = at(ux, 10).x();
  double sum = 0;
  int n = 0;
  for (int y = 0; y < img.height(); ++y) {
    if (isSeal(img.pixel(x, y))) {
      sum += y;
      ++n;
    }
  }
  return n ? sum / n : -1;
}

// Seal tilt in degrees, measured 50 units apart.
double tilt(const QImage& img) {
  return std::atan((sealRow(img, 92) - sealRow(img, 142)) / 100) * 180 / M_PI;
}

// Ink pixels in column x.
int inkIn(const QImage& img, int x) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y) n += isInk(img.pixel(x, y));
  return n;
}

TEST(AppMark, PickedHasPlateBracketsLinesAndATiltedSeal) {
  const QImage img = big(State::picked);
  EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0);                      // rounded corner left open
  EXPECT_EQ(img.pixel(at(30, 100)), qRgb(0xF6, 0xF2, 0xEA));  // plate
  EXPECT_TRUE(isInk(img.pixel(at(50, 60))));                  // bracket
  EXPECT_TRUE(isInk(img.pixel(at(80, 126))));                 // second, short line
  EXPECT_FALSE(isInk(img.pixel(at(120, 126))));               // ends at 112
  EXPECT_TRUE(isSeal(img.pixel(at(117, 101))));
  EXPECT_NEAR(tilt(img), 6, 1);  // right end higher
}

TEST(AppMark, PhaseOnlyMovesAWorkingSeal) {
  const QImage rest = big(State::picked);
  EXPECT_EQ(big(State::working, 0), rest);
  const QImage up = big(State::working, 1);
  // Six units higher (12 px) at the centre, and steeper: 14 degrees.
  EXPECT_NEAR(sealRow(rest, 117) - sealRow(up, 117), 12, 1);
  EXPECT_NEAR(tilt(up), 14, 1);
}

TEST(AppMark, EmptyIsPlateAndBracketsAtReducedOpacity) {
  const QImage img = big(State::empty);
  const QRgb plate = img.pixel(at(30, 100));
  EXPECT_NEAR(qAlpha(plate), 115, 2);  // 0.45 of full
  EXPECT_EQ(img.pixel(at(80, 88)), plate);   // no lines
  EXPECT_EQ(img.pixel(at(117, 101)), plate);  // no seal
  // The brackets are there, faded: darker than the plate but far from opaque ink.
  const QRgb bracket = img.pixel(at(50, 60));
  EXPECT_LT(qAlpha(bracket), 200);
  EXPECT_GT(qAlpha(bracket), qAlpha(plate));
}

TEST(AppMark, SideIsTheRectWidthFromItsTopLeft) {
  const QImage img = render({200, 200}, {50, 30, 100, 40}, State::picked);  // height ignored
  EXPECT_EQ(qAlpha(img.pixel(45, 80)), 0);
  EXPECT_GT(qAlpha(img.pixel(55, 80)), 0);
  EXPECT_EQ(qAlpha(img.pixel(100, 25)), 0);
  EXPECT_GT(qAlpha(img.pixel(100, 128)), 0);  // down to 130
  EXPECT_EQ(qAlpha(img.pixel(100, 132)), 0);
}

TEST(AppMark, SmallMarksGetHeavierStrokes) {
  // Drawn ten times magnified; at design x 60 a column crosses the top and
  // bottom brackets' arms, at x 80 the two lines.
  for (qreal width : {28.0, 28.5}) {
    const QImage img = render({30, 30}, {0, 0, width, width}, State::picked, 0, 10);
    auto column = [&](qreal u) { return inkIn(img, int((u - 10) * width / 18)); };
    const qreal bracket = (width <= 28 ? 12 : 8) * width / 18, line = (width <= 28 ? 14 : 10) * width / 18;
    EXPECT_NEAR(column(60), 2 * bracket, 4) << width;
    EXPECT_NEAR(column(80), 2 * line, 4) << width;
  }
}

}  // namespace
