// The thorough code pass: codes the quick pass cannot read that a filtered
// rendering gives up, the boxes carried back to the source, and the budget.
#include <gtest/gtest.h>

#include <cmath>

#include "recognition/codes/CodeDetect.h"
#include "recognition/codes/CodeSearch.h"
#include "recognition/codes/CodeVariants.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/CodeImages.h"
#include "tests/support/Printers.h"

namespace {

using namespace codeimages;

std::vector<Code> quick(const QImage& image) { return Recognizer::codes(image, false, 0.8); }

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

// The quick pass misses the code; the thorough pass, with all the time in the
// world, reads it and maps its box back within `slack` pixels.
void expectOnlyThorough(const QImage& screen, const Drawn& drawn, const QString& payload, bool qr, double slack,
                        Scripted& clock) {
  ASSERT_TRUE(quick(screen).empty());
  const std::vector<Code> codes = Recognizer::searchCodes(screen, true, 0.8, clock.probe());
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, payload);
  EXPECT_EQ(codes[0].isQR, qr);
  EXPECT_LE(offBy(codes[0].rect, drawn.rect), slack);
}

TEST(ThoroughPass, LightOnDarkCodesAreReadOnlyFromInvertedRenderings) {
  QImage screen = page(800, 600, QColor(30, 30, 30), QColor(220, 220, 220));
  const Drawn drawn = draw(screen, encode(BarcodeFormat::QRCode, "inverted"), 300, 200, 4, 0, QColor(240, 240, 240),
                           QColor(30, 30, 30));
  draw(screen, encode(BarcodeFormat::Code128, "INV-128"), 200, 420, 3, 60, QColor(240, 240, 240), QColor(30, 30, 30));
  ASSERT_TRUE(quick(screen).empty());
  // The real clock and budget.
  const std::vector<Code> codes = Recognizer::codes(screen, true, 0.8);
  const Code* qr = find(codes, "inverted");
  ASSERT_TRUE(qr);
  EXPECT_TRUE(qr->isQR);
  EXPECT_LE(offBy(qr->rect, drawn.rect), drawn.module);

  // Only renderings whose greys were inverted read it (the bottom of this
  // screen is dark, so the base renderings are inverted too).
  auto source = std::make_shared<Recognizer::CodeSource>(screen);
  ASSERT_TRUE(Recognizer::isDark(*source));
  const std::vector<Recognizer::Variant> list = Recognizer::variants(source);
  std::vector<int> reading;
  for (size_t i = 0; i < list.size(); ++i)
    if (!Recognizer::detect(list[i].make(), list[i].back).empty()) reading.push_back(int(i) + 1);
  ASSERT_FALSE(reading.empty());
  for (const int v : reading) EXPECT_TRUE(v != 1 && v != 6) << v << ": contrast or maximum component, not inverted";
}

TEST(ThoroughPass, LowContrastCodes) {
  // 140 on 180: the QR-only second opinion of the quick pass reads it.
  QImage faint = page(800, 600, QColor(180, 180, 180), QColor(90, 90, 90));
  draw(faint, encode(BarcodeFormat::QRCode, "low contrast"), 300, 200, 4, 0, QColor(140, 140, 140),
       QColor(180, 180, 180));
  const std::vector<Code> found = quick(faint);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].payload, "low contrast");

  // 150 on 180: only the contrast-boosted renderings.
  QImage fainter = page(800, 600, QColor(180, 180, 180), QColor(90, 90, 90));
  const Drawn drawn = draw(fainter, encode(BarcodeFormat::QRCode, "lower contrast"), 300, 200, 4, 0,
                           QColor(150, 150, 150), QColor(180, 180, 180));
  Scripted clock;
  expectOnlyThorough(fainter, drawn, "lower contrast", true, drawn.module, clock);
}

TEST(ThoroughPass, TinyCodeInALargeScreenIsReadFromATile) {
  QImage screen = page(2400, 1500);
  const Drawn drawn = drawScaled(screen, encode(BarcodeFormat::QRCode, "https://example.com/t"), 1500, 400, 33);
  Scripted clock;
  // Back in pixels of the screen, not of the enlarged tile.
  expectOnlyThorough(screen, drawn, "https://example.com/t", true, drawn.module + 1, clock);
  ASSERT_FALSE(clock.tried.empty());
  EXPECT_GE(clock.tried.back(), 13) << "found in a tile";
}

TEST(ThoroughPass, BlurredEan13) {
  QImage screen = page(800, 600);
  const Drawn drawn = drawScaled(screen, encode(BarcodeFormat::EAN13, "4006381333931"), 250, 200, 3.0 * 95, 100);
  Scripted clock;
  // The blur widens the bars by about its own size.
  expectOnlyThorough(blurred(screen, 1.9), drawn, "4006381333931", false, drawn.module + 2, clock);
}

TEST(CodeBudget, OnlyTimeStrictlyBeyondTheBudgetStopsAndTheOverrunIsOneVariant) {
  const QImage screen = page(400, 300);
  Scripted frozen;  // never exceeds even a zero budget: all 12 run, in order
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0, frozen.probe()).empty());
  EXPECT_EQ(frozen.tried, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

  Scripted slow;
  slow.costPerVariant = 0.3;
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0.8, slow.probe()).empty());
  EXPECT_EQ(slow.tried, (std::vector<int>{1, 2, 3}));  // started at 0, 0.3 and 0.6 s

  QImage plain = page(800, 600);
  draw(plain, encode(BarcodeFormat::QRCode, "plain"), 300, 200, 4);
  Scripted found;
  EXPECT_EQ(Recognizer::searchCodes(plain, true, 0.8, found.probe()).size(), 1u);
  EXPECT_TRUE(found.tried.empty()) << "the quick pass found it: no variant";
}

TEST(CodeBudget, SpentOrMeaninglessBudgetsTryNothing) {
  const QImage screen = page(400, 300);
  std::vector<int> tried;
  const Recognizer::CodeSearchProbe realClock{{}, [&](int v) { tried.push_back(v); }};
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0, realClock).empty());
  Scripted clock;
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, std::nan(""), clock.probe()).empty());
  // The first reading is the start; building the list (with its dark test)
  // is already spent time.
  int readings = 0;
  const Recognizer::CodeSearchProbe late{[&] { return readings++ == 0 ? 0.0 : 1.0; },
                                         [&](int v) { tried.push_back(v); }};
  EXPECT_TRUE(Recognizer::searchCodes(screen, true, 0.5, late).empty());
  EXPECT_EQ(readings, 2);
  EXPECT_TRUE(tried.empty());
  EXPECT_TRUE(clock.tried.empty());
}

}  // namespace
