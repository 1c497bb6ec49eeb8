#include "core/AppMark.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

namespace {

using State = AppMark::State;

// Draws a mark into a transparent image: rect in logical units, scale pixels per unit.
QImage render(QSizeF canvas, QRectF rect, State state, qreal phase = 0, qreal scale = 1,
              bool yDown = true) {
  QImage img(int(std::ceil(canvas.width() * scale)), int(std::ceil(canvas.height() * scale)),
             QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.scale(scale, scale);
  if (!yDown) {
    // A painter whose y axis grows upward; the rect is given in its coordinates.
    p.translate(0, canvas.height());
    p.scale(1, -1);
    rect.moveTop(canvas.height() - rect.bottom());
  }
  AppMark::draw(p, rect, state, phase, yDown);
  return img;
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
double sealRow(const QImage& img, int x) {
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

int countSeal(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) n += isSeal(img.pixel(x, y));
  return n;
}

// Length of the run of ink pixels in column x that contains row y.
int inkRun(const QImage& img, int x, int y) {
  if (!isInk(img.pixel(x, y))) return 0;
  int top = y, bottom = y;
  while (top > 0 && isInk(img.pixel(x, top - 1))) --top;
  while (bottom + 1 < img.height() && isInk(img.pixel(x, bottom + 1))) ++bottom;
  return bottom - top + 1;
}

int maxChannelDifference(const QImage& a, const QImage& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
  return worst;
}

}  // namespace

TEST(AppMark, PickedHasPlateBracketsLinesAndSeal) {
  const QImage img = big(State::picked);
  EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0);                       // rounded corner left open
  EXPECT_EQ(img.pixel(at(30, 100)), qRgb(0xF6, 0xF2, 0xEA));   // plate
  EXPECT_TRUE(isInk(img.pixel(at(50, 60))));                   // bracket
  EXPECT_TRUE(isInk(img.pixel(at(80, 88))));                   // first line
  EXPECT_TRUE(isInk(img.pixel(at(80, 126))));                  // second, short line
  EXPECT_FALSE(isInk(img.pixel(at(120, 126))));                // ends at 112
  EXPECT_TRUE(isSeal(img.pixel(at(117, 101))));
}

TEST(AppMark, PickedSealIsTiltedRightEndHigher) {
  const QImage img = big(State::picked);
  const double left = sealRow(img, at(92, 0).x());
  const double right = sealRow(img, at(142, 0).x());
  ASSERT_GT(left, 0);
  ASSERT_GT(right, 0);
  // 50 units apart at 6 degrees, 2 pixels a unit.
  EXPECT_NEAR(left - right, 2 * 50 * std::tan(6 * M_PI / 180), 1.5);
}

TEST(AppMark, PhaseOnlyMovesAWorkingSeal) {
  EXPECT_EQ(big(State::picked, 0.7), big(State::picked, 0));
  const QImage rest = big(State::working, 0);
  const QImage up = big(State::working, 1);
  EXPECT_EQ(rest, big(State::picked, 0));
  const int x = at(117, 0).x();
  // Six units higher (12 px) at the centre, and steeper: 14 degrees.
  EXPECT_NEAR(sealRow(rest, x) - sealRow(up, x), 12, 1);
  const double tilt = sealRow(up, at(92, 0).x()) - sealRow(up, at(142, 0).x());
  EXPECT_NEAR(tilt, 2 * 50 * std::tan(14 * M_PI / 180), 2);
}

TEST(AppMark, EmptyIsPlateAndBracketsAtReducedOpacity) {
  const QImage img = big(State::empty);
  const QRgb plate = img.pixel(at(30, 100));
  EXPECT_NEAR(qAlpha(plate), 115, 2);  // 0.45 of full
  EXPECT_EQ(countSeal(img), 0);
  // Where the first line would be there is only plate.
  EXPECT_EQ(img.pixel(at(80, 88)), plate);
  // The brackets are there, faded: darker than the plate but far from opaque ink.
  const QRgb bracket = img.pixel(at(50, 60));
  EXPECT_LT(qAlpha(bracket), 200);
  EXPECT_GT(qAlpha(bracket), qAlpha(plate));
  EXPECT_LT(qRed(bracket), qRed(plate));
}

TEST(AppMark, HeightOfTheRectIsIgnored) {
  const QImage img = render({120, 120}, {0, 0, 100, 40}, State::picked);
  EXPECT_GT(qAlpha(img.pixel(50, 60)), 0);   // below the rect's height
  EXPECT_GT(qAlpha(img.pixel(50, 98)), 0);   // down to 100
  EXPECT_EQ(qAlpha(img.pixel(50, 102)), 0);
  EXPECT_EQ(qAlpha(img.pixel(102, 50)), 0);  // and 100 wide
}

TEST(AppMark, RectOffsetMovesTheMark) {
  const QImage img = render({200, 200}, {50, 30, 100, 100}, State::picked);
  EXPECT_EQ(qAlpha(img.pixel(45, 80)), 0);
  EXPECT_GT(qAlpha(img.pixel(55, 80)), 0);
  EXPECT_EQ(qAlpha(img.pixel(100, 25)), 0);
  EXPECT_GT(qAlpha(img.pixel(100, 35)), 0);
}

TEST(AppMark, SmallMarksGetHeavierStrokes) {
  // Drawn ten times magnified so the stroke widths can be counted in pixels.
  const QImage small = render({30, 30}, {0, 0, 28, 28}, State::picked, 0, 10);
  const QImage large = render({30, 30}, {0, 0, 28.5, 28.5}, State::picked, 0, 10);
  auto px = [](qreal u, qreal width) { return int((u - 10) * width / 180 * 10); };

  // Top-left bracket's horizontal arm at design x 60, y 52.
  const int smallBracket = inkRun(small, px(60, 28), px(52, 28));
  const int largeBracket = inkRun(large, px(60, 28.5), px(52, 28.5));
  EXPECT_NEAR(smallBracket, 12 * 28 / 180.0 * 10, 2);    // 18.7 px
  EXPECT_NEAR(largeBracket, 8 * 28.5 / 180.0 * 10, 2);   // 12.7 px

  // First line at design x 80, y 88.
  const int smallLine = inkRun(small, px(80, 28), px(88, 28));
  const int largeLine = inkRun(large, px(80, 28.5), px(88, 28.5));
  EXPECT_NEAR(smallLine, 14 * 28 / 180.0 * 10, 2);       // 21.8 px
  EXPECT_NEAR(largeLine, 10 * 28.5 / 180.0 * 10, 2);     // 15.8 px
}

TEST(AppMark, SamePictureWithYUpOrYDown) {
  for (State s : {State::picked, State::working, State::empty}) {
    const QImage down = render({200, 200}, {10, 20, 180, 180}, s, 0.6, 1, true);
    const QImage up = render({200, 200}, {10, 20, 180, 180}, s, 0.6, 1, false);
    EXPECT_LE(maxChannelDifference(down, up), 8) << int(s);
    EXPECT_TRUE(isSeal(up.pixel(10 + 107, 20 + 91)) || s == State::empty);
  }
}

TEST(AppMark, ImageIsASquareOfTheGivenSize) {
  const QImage img = AppMark::image(56, State::picked);
  EXPECT_EQ(img.size(), QSize(56, 56));
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
  EXPECT_GT(qAlpha(img.pixel(28, 28)), 240);
  EXPECT_GT(qAlpha(img.pixel(28, 54)), 0);  // fills the full height

  const QImage sharp = AppMark::image(56, State::picked, 2);
  EXPECT_EQ(sharp.size(), QSize(112, 112));
  EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
  EXPECT_GT(qAlpha(sharp.pixel(56, 108)), 0);
}
