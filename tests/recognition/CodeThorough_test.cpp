// The thorough code pass: codes the quick pass cannot read that a filtered
// rendering gives up, the boxes carried back to the source, and the budget.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "recognition/CodeDetect.h"
#include "recognition/CodeSearch.h"
#include "recognition/CodeVariants.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/CodeImages.h"
#include "tests/support/Printers.h"

namespace {

using namespace codeimages;

::testing::AssertionResult near(const PixelRect& found, const PixelRect& drawn, double tolerance) {
  const double d = std::max({std::abs(found.minX() - drawn.minX()), std::abs(found.maxX() - drawn.maxX()),
                             std::abs(found.minY() - drawn.minY()), std::abs(found.maxY() - drawn.maxY())});
  if (d <= tolerance) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "(" << found.x << ", " << found.y << ", " << found.width << " x "
                                       << found.height << ") is " << d << " px off (" << drawn.x << ", " << drawn.y
                                       << ", " << drawn.width << " x " << drawn.height << ")";
}

// A clock that stands still unless the test moves it, and the variants the
// search started, in order.
struct Scripted {
  double time = 100;
  std::vector<int> tried;
  double costPerVariant = 0;

  Recognizer::CodeSearchProbe probe() {
    return {[this] { return time; },
            [this](int variant) {
              tried.push_back(variant);
              time += costPerVariant;
            }};
  }
};

// The search with all the time in the world: every variant gets its turn.
std::vector<Code> thorough(const QImage& image, Scripted& clock) {
  return Recognizer::searchCodes(image, true, 0.8, clock.probe());
}

TEST(ThoroughPass, LightOnDarkCodesAreReadOnlyFromInvertedRenderings) {
  QImage screen = page(800, 600, QColor(30, 30, 30), QColor(220, 220, 220));
  const Drawn drawn = draw(screen, encode(BarcodeFormat::QRCode, "inverted"), 300, 200, 4, 0, QColor(240, 240, 240),
                           QColor(30, 30, 30));
  ASSERT_TRUE(Recognizer::codes(screen, false, 0.8).empty());

  // The real clock and budget: the second variant already reads it.
  const std::vector<Code> codes = Recognizer::codes(screen, true, 0.8);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, "inverted");
  EXPECT_TRUE(codes[0].isQR);
  EXPECT_TRUE(near(codes[0].rect, drawn.rect, drawn.module));

  // Which renderings read it: only those whose greys were inverted (the
  // bottom of this screen is dark, so the base renderings are inverted too).
  auto source = std::make_shared<Recognizer::CodeSource>(screen);
  ASSERT_TRUE(Recognizer::isDark(*source));
  const std::vector<Recognizer::Variant> list = Recognizer::variants(source);
  ASSERT_EQ(list.size(), 12u);
  std::vector<int> reading;
  for (size_t i = 0; i < list.size(); ++i)
    if (!Recognizer::detect(list[i].make(), list[i].back).empty()) reading.push_back(static_cast<int>(i) + 1);
  ASSERT_FALSE(reading.empty());
  for (const int v : reading) EXPECT_NE(v, 1) << "contrast only";
  for (const int v : reading) EXPECT_NE(v, 6) << "maximum component, not inverted";
}

TEST(ThoroughPass, LowContrastCodes) {
  // 140 on 180: the QR-only second opinion of the quick pass reads it.
  QImage faint = page(800, 600, QColor(180, 180, 180), QColor(90, 90, 90));
  draw(faint, encode(BarcodeFormat::QRCode, "low contrast"), 300, 200, 4, 0, QColor(140, 140, 140),
       QColor(180, 180, 180));
  const std::vector<Code> quick = Recognizer::codes(faint, false, 0.8);
  ASSERT_EQ(quick.size(), 1u);
  EXPECT_EQ(quick[0].payload, "low contrast");

  // 150 on 180: only the contrast-boosted renderings.
  QImage fainter = page(800, 600, QColor(180, 180, 180), QColor(90, 90, 90));
  const Drawn drawn = draw(fainter, encode(BarcodeFormat::QRCode, "lower contrast"), 300, 200, 4, 0,
                           QColor(150, 150, 150), QColor(180, 180, 180));
  ASSERT_TRUE(Recognizer::codes(fainter, false, 0.8).empty());
  Scripted clock;
  const std::vector<Code> codes = thorough(fainter, clock);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, "lower contrast");
  EXPECT_TRUE(near(codes[0].rect, drawn.rect, drawn.module));
}

TEST(ThoroughPass, TinyCodeInALargeScreenIsReadFromATile) {
  QImage screen = page(2400, 1500);
  const Drawn drawn = drawScaled(screen, encode(BarcodeFormat::QRCode, "https://example.com/t"), 1500, 400, 33);
  ASSERT_TRUE(Recognizer::codes(screen, false, 0.8).empty());
  Scripted clock;
  const std::vector<Code> codes = thorough(screen, clock);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, "https://example.com/t");
  ASSERT_FALSE(clock.tried.empty());
  EXPECT_GE(clock.tried.back(), 13) << "found in a tile";
  // Back in pixels of the screen, not of the enlarged tile.
  EXPECT_TRUE(near(codes[0].rect, drawn.rect, drawn.module + 1));
}

TEST(ThoroughPass, BlurredEan13) {
  QImage screen = page(800, 600);
  const Drawn drawn = drawScaled(screen, encode(BarcodeFormat::EAN13, "4006381333931"), 250, 200, 3.0 * 95, 100);
  const QImage soft = blurred(screen, 1.9);
  ASSERT_TRUE(Recognizer::codes(soft, false, 0.8).empty());
  Scripted clock;
  const std::vector<Code> codes = thorough(soft, clock);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, "4006381333931");
  EXPECT_FALSE(codes[0].isQR);
  // The blur widens the bars by about its own size.
  EXPECT_TRUE(near(codes[0].rect, drawn.rect, drawn.module + 2));
}

TEST(ThoroughPass, FoundByTheQuickPassMeansNoVariant) {
  QImage screen = page(800, 600);
  draw(screen, encode(BarcodeFormat::QRCode, "plain"), 300, 200, 4);
  Scripted clock;
  ASSERT_EQ(thorough(screen, clock).size(), 1u);
  EXPECT_TRUE(clock.tried.empty());
}

TEST(CodeBudget, ZeroTriesNoVariant) {
  const QImage screen = page(400, 300);
  std::vector<int> tried;
  const Recognizer::CodeSearchProbe realClock{{}, [&](int v) { tried.push_back(v); }};
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0, realClock).empty());
  EXPECT_TRUE(tried.empty());
}

TEST(CodeBudget, OnlyTimeStrictlyBeyondTheBudgetStops) {
  // A clock that never moves never exceeds even a zero budget: all 12 run.
  const QImage screen = page(400, 300);
  Scripted frozen;
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0, frozen.probe()).empty());
  EXPECT_EQ(frozen.tried, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST(CodeBudget, OverrunIsBoundedByOneVariant) {
  const QImage screen = page(400, 300);
  Scripted clock;
  clock.costPerVariant = 0.3;
  const double start = clock.time;
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0.8, clock.probe()).empty());
  // Started at 0, 0.3 and 0.6 s; at 0.9 s the budget is spent.
  EXPECT_EQ(clock.tried, (std::vector<int>{1, 2, 3}));
  EXPECT_LE(clock.time - start, 0.8 + clock.costPerVariant);
}

TEST(CodeBudget, TheClockStartsBeforeTheVariantsAreBuilt) {
  // The first reading is the start; everything after it (building the list
  // with its dark test) is already spent time.
  const QImage screen = page(400, 300);
  int readings = 0;
  std::vector<int> tried;
  const Recognizer::CodeSearchProbe probe{[&] { return readings++ == 0 ? 0.0 : 1.0; },
                                          [&](int v) { tried.push_back(v); }};
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0.5, probe).empty());
  EXPECT_TRUE(tried.empty());
  EXPECT_EQ(readings, 2);
}

TEST(CodeBudget, NotANumberTriesNothing) {
  const QImage screen = page(400, 300);
  Scripted clock;
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, std::nan(""), clock.probe()).empty());
  EXPECT_TRUE(clock.tried.empty());
}

TEST(CodeBudget, EveryVariantOfAnEmptyScreenIsTriedOnce) {
  Scripted small, large;
  EXPECT_TRUE(Recognizer::searchCodes(page(899, 1000), true, 0.8, small.probe()).empty());
  EXPECT_EQ(small.tried.size(), 12u);
  EXPECT_TRUE(Recognizer::searchCodes(page(900, 900), true, 0.8, large.probe()).empty());
  EXPECT_EQ(large.tried.size(), 21u);
}

}  // namespace
