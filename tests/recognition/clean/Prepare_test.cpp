#include "recognition/clean/Prepare.h"

#include "recognition/engines/EngineRun.h"

#include <gtest/gtest.h>

#include "tests/recognition/TextImages.h"

namespace {

using textimages::dark;
using textimages::Style;

TEST(PrepareMeasure, FindsGroundPolarityAndLineHeight) {
  Style light;
  light.px = 13;
  const auto a = textimages::lines({"Settings were saved", "Open the folder"}, light);
  const ocr::Measure m = ocr::measure(ocr::grey(a.image));
  EXPECT_GE(m.background, 250);
  EXPECT_FALSE(m.lightOnDark);
  // The ink band of a line: from the top of "S" / "O" to the bottom of "g" / "p".
  const int band = a.ink[0].height();
  EXPECT_NEAR(m.lineHeight, band, 2.0);

  const auto b = textimages::lines({"Settings were saved", "Open the folder"}, dark(13));
  const ocr::Measure n = ocr::measure(ocr::grey(b.image));
  EXPECT_LE(n.background, 40);
  EXPECT_TRUE(n.lightOnDark);
  EXPECT_NEAR(n.lineHeight, m.lineHeight, 1.0);
  // Accents count as part of their line.
  const auto c = textimages::lines({"ёжик и йод", "été ça", "über öl"}, light);
  EXPECT_NEAR(ocr::measure(ocr::grey(c.image)).lineHeight, c.ink[1].height(), 1.0);
}

TEST(Prepare, SmallTextIsScaledUpLargeTextIsLeftAlone) {
  Style small;
  small.px = 12;
  const auto a = textimages::lines({"Small interface text: typing"}, small);
  const ocr::Prepared p = ocr::prepare(a.image);
  ASSERT_FALSE(p.isNull());
  EXPECT_GT(p.scaleX(), 1.5);
  EXPECT_NEAR(p.measured.lineHeight * p.scaleY(), ocr::PrepareOptions{}.lineHeight, 1.0);

  Style big;
  big.px = 40;
  const ocr::Prepared q = ocr::prepare(textimages::lines({"Large"}, big).image);
  EXPECT_EQ(q.scaleX(), 1.0);
  Style tiny;
  tiny.px = 6;
  const ocr::Prepared r = ocr::prepare(textimages::lines({"tiny"}, tiny).image);
  EXPECT_LE(r.scaleX(), ocr::PrepareOptions{}.maxScale + 0.01);
}

TEST(Prepare, LightOnDarkBecomesDarkOnLightWithAGroundBorder) {
  const auto a = textimages::lines({"Dark mode text"}, dark());
  const ocr::Prepared p = ocr::prepare(a.image);
  EXPECT_TRUE(p.measured.lightOnDark);
  EXPECT_GE(p.ground, 215);
  EXPECT_EQ(p.image.pixelColor(0, 0).value(), p.ground);  // the border carries the ground
  const QRect ink = a.ink[0];
  int darkest = 255;
  for (int x = ink.left(); x <= ink.right(); ++x) {
    const int px = int(std::lround(p.pad + (x + 0.5) * p.scaleX()));
    const int py = int(std::lround(p.pad + (ink.center().y() + 0.5) * p.scaleY()));
    darkest = std::min(darkest, p.image.pixelColor(px, py).value());
  }
  EXPECT_LT(darkest, 100);
}

TEST(Prepare, EmptyImageGivesNothingAndAlphaIsComposedOverWhite) {
  EXPECT_TRUE(ocr::prepare(QImage(0, 10, QImage::Format_RGB32)).isNull());
  QImage clear(40, 20, QImage::Format_ARGB32);
  clear.fill(Qt::transparent);
  EXPECT_EQ(ocr::grey(clear).pixelColor(5, 5).value(), 255);
}

TEST(PrepareMapping, BoxesGoBackToSourcePixelsWithBottomLeftOrigin) {
  ocr::Prepared p;
  p.sourceWidth = 100;
  p.sourceHeight = 50;
  p.scaledWidth = 250;  // 2.5 x
  p.scaledHeight = 125;
  p.pad = 12;
  // Source box x 10..30, y (top-left) 5..15.
  const PixelRect r = p.toSource(12 + 25, 12 + 12, 12 + 75, 12 + 37);
  EXPECT_NEAR(r.x, 10, 0.25);
  EXPECT_NEAR(r.width, 20, 0.25);
  EXPECT_NEAR(r.maxY(), 50 - 5, 0.25);
  EXPECT_NEAR(r.minY(), 50 - 15, 0.25);

  // Boxes reaching into the border are clipped to the source.
  const PixelRect edge = p.toSource(0, 0, 12 + 50, 12 + 25);
  EXPECT_EQ(edge.x, 0);
  EXPECT_NEAR(edge.maxY(), 50, 1e-9);
  EXPECT_EQ(p.toSource(0, 0, 5, 5).width, 0);
}

TEST(PrepareMapping, RoundTripOfARealPreparation) {
  Style s;
  s.px = 12;
  const auto a = textimages::lines({"Where it was drawn"}, s, 331);  // width not a multiple of 4
  const ocr::Prepared p = ocr::prepare(a.image);
  ASSERT_FALSE(p.isNull());
  EXPECT_NE(p.image.bytesPerLine(), p.image.width());  // the padded stride case
  const QRect ink = a.ink[0];
  const int left = int(std::floor(p.pad + ink.left() * p.scaleX()));
  const int top = int(std::floor(p.pad + ink.top() * p.scaleY()));
  const int right = int(std::ceil(p.pad + (ink.right() + 1) * p.scaleX()));
  const int bottom = int(std::ceil(p.pad + (ink.bottom() + 1) * p.scaleY()));
  const PixelRect back = p.toSource(left, top, right, bottom);
  const PixelRect want = textimages::bottomLeft(ink, a.image.height());
  EXPECT_NEAR(back.minX(), want.minX(), 1.0);
  EXPECT_NEAR(back.maxX(), want.maxX(), 1.0);
  EXPECT_NEAR(back.minY(), want.minY(), 1.0);
  EXPECT_NEAR(back.maxY(), want.maxY(), 1.0);
}

}  // namespace

TEST(Prepare, LineHeightFollowsTheScriptOfTheEnginesFirstModel) {
  ocr::PrepareOptions options;
  options.lineHeight = 26, options.latinLineHeight = 32, options.cyrillicLineHeight = 30;
  for (const auto& [key, want] : std::vector<std::pair<const char*, double>>{
           {"eng", 32}, {"deu+eng", 32}, {"vie", 32}, {"rus+eng", 30}, {"ukr", 30},
           {"kor+eng", 26}, {"ara+eng", 26}, {"chi_sim+eng", 26}, {"eng+rus", 32}, {"", 26}})
    EXPECT_EQ(ocr::lineHeightFor(QString::fromLatin1(key), options), want) << key;
}
