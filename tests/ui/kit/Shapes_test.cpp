#include "ui/kit/Shapes.h"

#include <gtest/gtest.h>

#include <QPainter>

namespace {

QImage canvas(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

QImage filled(const QPainterPath& path, int w, int h) {
  QImage img = canvas(w, h);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(path, Qt::black);
  return img;
}

int alphaAt(const QImage& img, int x, int y) { return qAlpha(img.pixel(x, y)); }

}  // namespace

TEST(Shapes, ContinuousRectStaysInItsRect) {
  const QRectF rect(10, 10, 100, 60);
  const QPainterPath path = kit::continuousRect(rect, 12);
  EXPECT_EQ(path.boundingRect(), rect);
  const QImage img = filled(path, 120, 80);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (!rect.contains(QPointF(x + 0.5, y + 0.5))) {
        ASSERT_EQ(alphaAt(img, x, y), 0) << x << "," << y;
      }
  EXPECT_EQ(alphaAt(img, 60, 40), 255);  // centre
  EXPECT_EQ(alphaAt(img, 60, 10), 255);  // straight edges reach the rect
  EXPECT_EQ(alphaAt(img, 10, 40), 255);
  EXPECT_EQ(alphaAt(img, 109, 40), 255);
}

TEST(Shapes, CornersAreAsBigAsCircularOnesButEaseIn) {
  const qreal r = 40;
  const QRectF rect(0, 0, 200, 200);
  const QImage smooth = filled(kit::continuousRect(rect, r), 200, 200);
  QPainterPath circular;
  circular.addRoundedRect(rect, r, r);
  const QImage round = filled(circular, 200, 200);

  // On the corner's diagonal both cut in by about 0.29 r.
  EXPECT_EQ(alphaAt(smooth, 8, 8), 0);
  EXPECT_EQ(alphaAt(smooth, 15, 15), 255);
  EXPECT_EQ(alphaAt(round, 8, 8), 0);
  EXPECT_EQ(alphaAt(round, 15, 15), 255);

  // Close to the edge the continuous corner starts earlier and bends more
  // gently: it is still open where the circle's edge is already full ...
  int smoothOpen = 0, roundOpen = 0;
  for (int x = 0; x < 60; ++x) {
    smoothOpen += alphaAt(smooth, x, 1) < 128;
    roundOpen += alphaAt(round, x, 1) < 128;
  }
  EXPECT_GT(smoothOpen, roundOpen);
  // ... and at the point nearest the corner it is still no fuller than the circle.
  EXPECT_LE(alphaAt(smooth, 11, 11), alphaAt(round, 11, 11) + 10);
}

TEST(Shapes, RadiusIsClampedToHalfTheSide) {
  const QRectF pill(0, 0, 80, 20);
  const QPainterPath path = kit::continuousRect(pill, 100);
  EXPECT_EQ(path.boundingRect(), pill);
  const QImage img = filled(path, 80, 20);
  EXPECT_EQ(alphaAt(img, 40, 10), 255);
  EXPECT_EQ(alphaAt(img, 40, 0), 255);   // the top still touches at the middle
  EXPECT_EQ(alphaAt(img, 0, 0), 0);
  EXPECT_EQ(alphaAt(img, 79, 19), 0);
}

TEST(Shapes, ZeroRadiusIsASharpRect) {
  const QImage img = filled(kit::continuousRect(QRectF(0, 0, 20, 10), 0), 20, 10);
  EXPECT_EQ(alphaAt(img, 0, 0), 255);
  EXPECT_EQ(alphaAt(img, 19, 9), 255);
  EXPECT_TRUE(kit::continuousRect(QRectF(), 5).isEmpty());
}

TEST(Shapes, BorderIsDrawnInside) {
  QImage img = canvas(100, 70);
  {
    QPainter p(&img);
    kit::fillWithInnerBorder(p, QRectF(10, 10, 80, 50), 10, Qt::red, Qt::blue, 3);
  }
  auto rgb = [&](int x, int y) { return img.pixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(rgb(50, 10), 0x0000FFu);  // border on the outermost row
  EXPECT_EQ(rgb(50, 12), 0x0000FFu);
  EXPECT_EQ(rgb(50, 14), 0xFF0000u);  // fill right inside it
  EXPECT_EQ(rgb(10, 35), 0x0000FFu);
  EXPECT_EQ(rgb(50, 35), 0xFF0000u);
  EXPECT_EQ(rgb(89, 35), 0x0000FFu);
  EXPECT_EQ(alphaAt(img, 50, 35), 255);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (x < 10 || x >= 90 || y < 10 || y >= 60) {
        ASSERT_EQ(alphaAt(img, x, y), 0) << x << "," << y;
      }
}

TEST(Shapes, TranslucentBorderDoesNotDoubleWhereItBends) {
  QImage img = canvas(100, 100);
  {
    QPainter p(&img);
    kit::fillWithInnerBorder(p, QRectF(0, 0, 100, 100), 30, Qt::transparent, QColor(0, 0, 0, 100), 4);
  }
  // Every border pixel carries the colour once: no pixel is darker than one coat.
  int worst = 0;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) worst = std::max(worst, alphaAt(img, x, y));
  EXPECT_LE(worst, 101);
  EXPECT_GE(worst, 99);
  EXPECT_EQ(alphaAt(img, 50, 50), 0);  // no fill asked for
}

TEST(Shapes, NoBorderWithZeroWidth) {
  QImage img = canvas(60, 60);
  {
    QPainter p(&img);
    kit::fillWithInnerBorder(p, QRectF(0, 0, 60, 60), 8, Qt::red, Qt::blue, 0);
  }
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(qBlue(img.pixel(x, y)), 0);
  EXPECT_EQ(img.pixel(30, 0) & 0xFFFFFF, 0xFF0000u);
}
