#include "ui/kit/Shapes.h"

#include <gtest/gtest.h>

#include "tests/support/Canvas.h"

namespace {

QImage canvas(int w, int h, const std::function<void(QPainter&)>& paint) { return testenv::painted(QSizeF(w, h), paint); }

QImage filled(const QPainterPath& path, int w, int h) {
  return canvas(w, h, [&](QPainter& p) { p.fillPath(path, Qt::black); });
}

int alphaAt(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)); }

// The most opaque pixel outside `rect`.
int alphaOutside(const QImage& img, const QRectF& rect) {
  int worst = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (!rect.contains(QPointF(x + 0.5, y + 0.5))) worst = std::max(worst, alphaAt(img, x, y));
  return worst;
}

TEST(Shapes, ContinuousRectStaysInItsRectAndClampsItsRadius) {
  const QRectF rect(10, 10, 100, 60);
  const QImage img = filled(kit::continuousRect(rect, 12), 120, 80);
  EXPECT_EQ(alphaOutside(img, rect), 0);
  for (auto [x, y] : {std::pair{60, 40}, {60, 10}, {10, 40}, {109, 40}}) EXPECT_EQ(alphaAt(img, x, y), 255);

  const QRectF pill(0, 0, 80, 20);
  const QImage round = filled(kit::continuousRect(pill, 100), 80, 20);
  EXPECT_EQ(alphaAt(round, 40, 0), 255);  // the top still touches at the middle
  EXPECT_EQ(alphaAt(round, 0, 0), 0);
  EXPECT_EQ(alphaAt(round, 79, 19), 0);
  EXPECT_EQ(alphaAt(filled(kit::continuousRect(pill, 0), 80, 20), 0, 0), 255);  // sharp
  EXPECT_TRUE(kit::continuousRect(QRectF(), 5).isEmpty());
}

TEST(Shapes, CornersAreAsBigAsCircularOnesButEaseIn) {
  const QImage smooth = filled(kit::continuousRect({0, 0, 200, 200}, 40), 200, 200);
  QPainterPath circular;
  circular.addRoundedRect(QRectF(0, 0, 200, 200), 40, 40);
  const QImage round = filled(circular, 200, 200);
  // On the corner's diagonal both cut in by about 0.29 r; along the edge the
  // continuous corner starts earlier, still open where the circle is full.
  EXPECT_EQ(std::pair(alphaAt(smooth, 8, 8), alphaAt(smooth, 15, 15)), std::pair(0, 255));
  EXPECT_EQ(std::pair(alphaAt(round, 8, 8), alphaAt(round, 15, 15)), std::pair(0, 255));
  EXPECT_LT(alphaAt(smooth, 30, 1), 128);
  EXPECT_GT(alphaAt(round, 30, 1), 128);
}

TEST(Shapes, BorderIsDrawnInside) {
  const QRectF rect(10, 10, 80, 50);
  const QImage img = canvas(100, 70, [&](QPainter& p) { kit::fillWithInnerBorder(p, rect, 10, Qt::red, Qt::blue, 3); });
  auto rgb = [&](int x, int y) { return img.pixel(x, y) & 0xFFFFFF; };
  for (auto [x, y] : {std::pair{50, 10}, {50, 12}, {10, 35}, {89, 35}}) EXPECT_EQ(rgb(x, y), 0x0000FFu) << x << "," << y;
  EXPECT_EQ(rgb(50, 14), 0xFF0000u);  // fill right inside it
  EXPECT_EQ(alphaAt(img, 50, 35), 255);
  EXPECT_EQ(alphaOutside(img, rect), 0);

  const QImage plain = canvas(60, 60, [](QPainter& p) { kit::fillWithInnerBorder(p, {0, 0, 60, 60}, 8, Qt::red, Qt::blue, 0); });
  EXPECT_EQ(plain.pixel(30, 0) & 0xFFFFFF, 0xFF0000u);  // width 0: no border at all
}

TEST(Shapes, TranslucentBorderDoesNotDoubleWhereItBends) {
  const QImage img = canvas(100, 100, [](QPainter& p) {
    kit::fillWithInnerBorder(p, {0, 0, 100, 100}, 30, Qt::transparent, QColor(0, 0, 0, 100), 4);
  });
  // Every border pixel carries the colour once: no pixel is darker than one coat.
  EXPECT_NEAR(alphaOutside(img, QRectF()), 100, 1);
  EXPECT_EQ(alphaAt(img, 50, 50), 0);  // no fill asked for
}

}  // namespace
