// The quick code pass on screen-like images: every symbology the writer makes,
// several codes at once, and what may not come back.
#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <thread>

#include "recognition/codes/FinderPatterns.h"
#include "recognition/Recognizer.h"
#include "tests/app/FileCases.h"
#include "tests/recognition/CodeImages.h"
#include "tests/support/Printers.h"

namespace {

using namespace codeimages;

std::vector<Code> quick(const QImage& image) { return Recognizer::codes(image, false, 0.8); }

struct Symbol {
  BarcodeFormat format;
  const char* written;
  const char* read;  // Codabar drops its start and stop letters
};

void PrintTo(const Symbol& s, std::ostream* os) { *os << ZXing::ToString(s.format); }

class EverySymbology : public ::testing::TestWithParam<Symbol> {};

TEST_P(EverySymbology, ReadsPayloadKindAndBoxWithinOneModule) {
  const Symbol s = GetParam();
  QImage screen = page(800, 600);
  const Drawn drawn = draw(screen, encode(s.format, s.written), 180, 140, 2, 80);
  const std::vector<Code> codes = quick(screen);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, QString::fromUtf8(s.read));
  EXPECT_EQ(codes[0].isQR, !isLinear(s.format));
  EXPECT_LE(offBy(codes[0].rect, drawn.rect), drawn.module);
}

TEST_P(EverySymbology, ReadsItOnAThresholdedScreenAsWell) {
  // Only black and white pixels, as in a thresholded variant of the search,
  // which the reads take as they are; with black blocks about it that no
  // threshold of its own would make grey.
  const Symbol s = GetParam();
  QImage screen(800, 600, QImage::Format_RGB32);
  screen.fill(Qt::white);
  QPainter(&screen).fillRect(560, 40, 200, 120, Qt::black);
  QPainter(&screen).fillRect(0, 500, 800, 100, Qt::black);
  const Drawn drawn = draw(screen, encode(s.format, s.written), 180, 140, 2, 80);
  const cv::Mat grey = toMat(screen);
  ASSERT_EQ(cv::countNonZero((grey > 0) & (grey < 255)), 0) << "not two-level";
  const std::vector<Code> codes = quick(screen);
  ASSERT_EQ(codes.size(), 1u);
  EXPECT_EQ(codes[0].payload, QString::fromUtf8(s.read));
  EXPECT_LE(offBy(codes[0].rect, drawn.rect), drawn.module);
}

INSTANTIATE_TEST_SUITE_P(Corpus, EverySymbology,
                         ::testing::Values(Symbol{BarcodeFormat::QRCode, "https://tarvok.example/q?id=42",
                                                  "https://tarvok.example/q?id=42"},
                                           Symbol{BarcodeFormat::EAN8, "96385074", "96385074"},
                                           Symbol{BarcodeFormat::EAN13, "4006381333931", "4006381333931"},
                                           Symbol{BarcodeFormat::UPCA, "036000291452", "036000291452"},
                                           Symbol{BarcodeFormat::UPCE, "04252614", "04252614"},
                                           Symbol{BarcodeFormat::Code39, "TARVOK-39", "TARVOK-39"},
                                           Symbol{BarcodeFormat::Code93, "TARVOK-93", "TARVOK-93"},
                                           Symbol{BarcodeFormat::Code128, "Tarvok-128", "Tarvok-128"},
                                           Symbol{BarcodeFormat::ITF, "12345678901234", "12345678901234"},
                                           Symbol{BarcodeFormat::Codabar, "A40156B", "40156"},
                                           Symbol{BarcodeFormat::DataMatrix, "Tarvok DataMatrix", "Tarvok DataMatrix"},
                                           Symbol{BarcodeFormat::Aztec, "Tarvok Aztec", "Tarvok Aztec"},
                                           Symbol{BarcodeFormat::PDF417, "Tarvok PDF417", "Tarvok PDF417"}),
                         [](const auto& info) {
                           std::string name = ZXing::ToString(info.param.format);
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

TEST(QuickPass, ReadsEveryImageFormatWithItsOwnRowStride) {
  // 211 pixels wide: grey and 24-bit rows are padded to 4 bytes.
  QImage screen(211, 150, QImage::Format_RGB32);
  screen.fill(Qt::white);
  draw(screen, encode(BarcodeFormat::QRCode, "stride"), 50, 40, 3);
  for (const auto format : {QImage::Format_Grayscale8, QImage::Format_Indexed8}) {
    const std::vector<Code> codes = quick(screen.convertToFormat(format));
    ASSERT_EQ(codes.size(), 1u) << "format " << format;
    EXPECT_EQ(codes[0].payload, "stride");
  }
  EXPECT_TRUE(Recognizer::codes(QImage(), true, 0.8).empty());
}

TEST(QuickPass, PayloadsAreTrimmedAndBlankOnesDropped) {
  QImage screen = page(800, 600);
  draw(screen, encode(BarcodeFormat::QRCode, "  \t hello tarvok \n"), 120, 150, 4);
  draw(screen, encode(BarcodeFormat::QRCode, " \n "), 500, 150, 4);
  draw(screen, encode(BarcodeFormat::Code128, "  CODE 128  "), 150, 420, 2, 60);
  const std::vector<Code> codes = quick(screen);
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(codes[0].payload, "hello tarvok");
  EXPECT_EQ(codes[1].payload, "CODE 128");
}

TEST(QuickPass, EqualCodesCountOnceAndTheHigherCodeComesFirst) {
  QImage screen = page(1000, 700);
  draw(screen, encode(BarcodeFormat::QRCode, "lower"), 100, 420, 4);
  const Drawn twinA = draw(screen, encode(BarcodeFormat::QRCode, "twin"), 420, 260, 4);
  const Drawn twinB = draw(screen, encode(BarcodeFormat::QRCode, "twin"), 720, 90, 4);
  const Drawn high = draw(screen, encode(BarcodeFormat::QRCode, "higher"), 100, 60, 4);
  const std::vector<Code> codes = quick(screen);
  ASSERT_EQ(codes.size(), 3u);
  EXPECT_EQ(codes[0].payload, "higher");
  EXPECT_EQ(codes[1].payload, "twin");
  EXPECT_EQ(codes[2].payload, "lower");
  EXPECT_LE(offBy(codes[0].rect, high.rect), 4);
  EXPECT_LE(std::min(offBy(codes[1].rect, twinA.rect), offBy(codes[1].rect, twinB.rect)), 4);
}

// The code library aborts the whole process when one linear payload turns up
// twice in a multi-symbol read (two equal codes, or one code seen again in
// its downscaled pass). This screen did that to a plain read.
TEST(QuickPass, SurvivesScreensFullOfLinearCodesAndReadsThemAll) {
  QImage screen = page(1600, 800);
  const Drawn a = draw(screen, encode(BarcodeFormat::Code128, "TARVOK-0001"), 40, 120, 3, 120);
  const Drawn b = draw(screen, encode(BarcodeFormat::Code128, "TARVOK-0002"), 570, 120, 3, 120);
  const Drawn c = draw(screen, encode(BarcodeFormat::EAN13, "4006381333931"), 1100, 120, 3, 120);
  const Drawn again = draw(screen, encode(BarcodeFormat::Code128, "TARVOK-0001"), 40, 450, 3, 120);
  const Drawn d = draw(screen, encode(BarcodeFormat::Code39, "LOW-39"), 700, 500, 2, 100);
  const Drawn q = draw(screen, encode(BarcodeFormat::QRCode, "qr beside them"), 1300, 480, 4);

  const std::vector<Code> codes = quick(screen);
  ASSERT_EQ(codes.size(), 5u);
  for (const auto& [payload, drawn] :
       {std::pair{"TARVOK-0002", b}, {"4006381333931", c}, {"LOW-39", d}, {"qr beside them", q}}) {
    const Code* code = find(codes, payload);
    ASSERT_NE(code, nullptr) << payload;
    EXPECT_LE(offBy(code->rect, drawn.rect), drawn.module) << payload;
    EXPECT_EQ(code->isQR, std::string(payload) == "qr beside them") << payload;
  }
  const Code* twice = find(codes, "TARVOK-0001");
  ASSERT_NE(twice, nullptr);
  EXPECT_LE(std::min(offBy(twice->rect, a.rect), offBy(twice->rect, again.rect)), a.module);
}

TEST(QuickPass, SurvivesTurnedAndPhotographedCodes) {
  QImage screen = page(1400, 1000);
  drawRotated(screen, encode(BarcodeFormat::Code128, "PHOTO-128-XYZ"), 400, 300, 4, 7, 200);
  drawRotated(screen, encode(BarcodeFormat::Code128, "TURNED-90"), 1100, 350, 3, 90, 120);
  drawRotated(screen, encode(BarcodeFormat::QRCode, "turned qr"), 400, 750, 5, 30);
  drawRotated(screen, encode(BarcodeFormat::EAN13, "4006381333931"), 1000, 780, 3, -4, 120);
  for (const bool photo : {false, true}) {
    const std::vector<Code> codes = quick(photo ? photographed(screen) : screen);
    for (const char* payload : {"PHOTO-128-XYZ", "TURNED-90", "turned qr", "4006381333931"})
      EXPECT_NE(find(codes, payload), nullptr) << payload << (photo ? " (photo)" : "");
  }
}

TEST(QuickPass, LinearCodesTurnedAnyWayGetTheBoxOfTheirTurnedBars) {
  // The library scans rows and columns; past a few degrees no straight line
  // crosses every bar, and the slanted bars are turned upright first.
  for (const double degrees : {6.0, 45.0, 140.0}) {
    QImage screen = page(1000, 800);
    const Drawn bars = drawRotated(screen, encode(BarcodeFormat::Code128, "SLANTED-128"), 330, 400, 3, degrees, 90);
    const Drawn shop = drawRotated(screen, encode(BarcodeFormat::EAN13, "4006381333931"), 740, 400, 3, -degrees, 120);
    const std::vector<Code> codes = quick(screen);
    ASSERT_EQ(codes.size(), 2u) << degrees << " degrees";
    const Code* a = find(codes, "SLANTED-128");
    const Code* b = find(codes, "4006381333931");
    ASSERT_TRUE(a && b) << degrees << " degrees";
    EXPECT_FALSE(a->isQR || b->isQR);
    // Rows near the corners of a turned code carry only a few of its bars.
    EXPECT_LE(offBy(a->rect, bars.rect), 3 * bars.module) << degrees << " degrees";
    EXPECT_LE(offBy(b->rect, shop.rect), 3 * shop.module) << degrees << " degrees";
  }
}

TEST(QuickPass, ReadsFromSeveralThreadsAtOnce) {
  std::vector<std::vector<Code>> found(4);
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    QImage screen = page(900, 600, QColor(250, 250, 250), QColor(40, 40, 40), i);
    draw(screen, encode(BarcodeFormat::QRCode, "thread " + std::to_string(i)), 100 + 60 * i, 120, 3);
    draw(screen, encode(BarcodeFormat::Code128, "T-" + std::to_string(i)), 300, 380, 2, 60);
    threads.emplace_back([&found, i, screen] {
      for (int round = 0; round < 3; ++round) found[i] = quick(screen);
    });
  }
  for (auto& t : threads) t.join();
  for (int i = 0; i < 4; ++i) {
    ASSERT_EQ(found[i].size(), 2u) << i;
    EXPECT_EQ(found[i][0].payload + found[i][1].payload, QString("thread %1T-%1").arg(i));
  }
}

// The finder patterns of QR codes are found on a sheet of them, which the
// guard against specks must leave alone, and none in salt-and-pepper noise,
// whichever grey comes out dark.
TEST(FinderPatterns, SheetsOfCodesHaveThemAndSpecksNone) {
  QImage sheet = filecases::blank(900, 900);
  const auto qr = encode(BarcodeFormat::QRCode, "https://example.org/sheet");
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) draw(sheet, qr, x * 170 + 20, y * 170 + 20, 4);
  QImage inverted = filecases::noiseOf("salt", 1200, 900);
  inverted.invertPixels();
  // The same codes among large marks: a frame around each (its box holds
  // the code), words in a large face between them, and a bar crossing the
  // sheet; and a page of small prose, whose marks are all too small.
  QImage framed = filecases::blank(1100, 1100);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) draw(framed, qr, x * 210 + 20, y * 215 + 20, 4);
  {
    QPainter p(&framed);
    p.setPen(QPen(Qt::black, 3));
    QFont face = p.font();
    face.setPixelSize(30);
    p.setFont(face);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 5; ++x) {
        p.drawRect(x * 210 + 10, y * 215 + 10, 180, 170);
        p.drawText(x * 210 + 15, y * 215 + 212, QStringLiteral("Q@0%1g").arg(x + y));
      }
    p.fillRect(1060, 0, 8, 1100, Qt::black);
  }
  QImage prose = filecases::blank(1200, 900);
  {
    QPainter p(&prose);
    QFont face = p.font();
    face.setPixelSize(12);
    p.setFont(face);
    for (int y = 20; y < 890; y += 16)
      p.drawText(10, y, QStringLiteral("Quarterly figures, owing @ 0%: move the WORM ~ fly-by; ") +
                            QStringLiteral("gallery of quaint words (MMW) @@ 100% & more."));
  }
  struct Case {
    const char* name;
    QImage image;
    size_t least, most;
  } const cases[] = {{"a sheet of 25 codes", sheet, 75, 75},
                     {"the sheet framed, among large words", framed, 75, 75},
                     {"a page of small prose", prose, 0, 0},
                     {"salt and pepper", filecases::noiseOf("salt", 1200, 900), 0, 0},
                     {"salt and pepper, turned", inverted, 0, 0}};
  for (const Case& c : cases) {
    const QImage grey = c.image.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat mat(grey.height(), grey.width(), CV_8U, const_cast<uchar*>(grey.constBits()), size_t(grey.bytesPerLine()));
    const size_t found = Recognizer::finderPatterns(mat).size();
    EXPECT_GE(found, c.least) << c.name;
    EXPECT_LE(found, c.most) << c.name;
  }
}

}  // namespace
