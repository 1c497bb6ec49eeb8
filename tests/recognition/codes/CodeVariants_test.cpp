// The renderings of the thorough code pass: their count, the cap on their
// size, and the dark test.
#include "recognition/codes/CodeVariants.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <opencv2/imgproc.hpp>

#include "recognition/codes/ImageFilters.h"
#include "recognition/Recognizer.h"

namespace {

using Recognizer::CodeSource;
using Recognizer::Variant;

QImage filled(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

std::vector<Variant> listFor(const QImage& image) { return Recognizer::variants(std::make_shared<CodeSource>(image)); }

bool dark(const QImage& image) { return Recognizer::isDark(CodeSource(image)); }

TEST(Variants, TwelveOrTwentyOneWithTilesFrom900AndEnlargedOnesMapBoxesBack) {
  EXPECT_EQ(listFor(filled(2000, 900, Qt::white)).size(), 21u);  // tiles: mapped back in ThoroughPass
  EXPECT_TRUE(listFor(QImage()).empty());
  // s = 500 gives k = 2.5: variants 5 to 12 are enlarged and divide boxes by it.
  const auto list = listFor(filled(800, 500, Qt::white));
  ASSERT_EQ(list.size(), 12u);
  for (size_t i = 0; i < list.size(); ++i) {
    const PixelRect r = list[i].back({250, 500, 100, 50});
    EXPECT_EQ(QRectF(r.x, r.y, r.width, r.height), i < 4 ? QRectF(250, 500, 100, 50) : QRectF(100, 200, 40, 20))
        << "variant " << i + 1;
  }
}

TEST(Variants, HugeEnlargementsAreNotRendered) {
  // 100 x 31000: s = 100, k = 4 would make 400 x 124000 pixels.
  QImage strip(100, 31000, QImage::Format_Grayscale8);
  strip.fill(255);
  const auto list = listFor(strip);
  ASSERT_EQ(list.size(), 12u);
  EXPECT_FALSE(list[0].make().empty());
  for (size_t i = 4; i < 12; ++i) EXPECT_TRUE(list[i].make().empty()) << "variant " << i + 1;
  EXPECT_TRUE(Recognizer::codes(strip, true, 0.8).empty());  // the search skips them
}

TEST(DarkTest, ReadsOnlyTheBottomStripAgainstTheThreshold) {
  // The bottom 3 %: 30 of 1000 rows; 30.3 of 1010 rounded outward to 31, so
  // there the white row above a dark grey band counts and tips the mean.
  const QColor band(112, 112, 112);
  QImage exact = filled(400, 1000, Qt::white);
  QPainter(&exact).fillRect(0, 970, 400, 30, band);
  EXPECT_TRUE(dark(exact));
  QImage outward = filled(400, 1010, Qt::white);
  QPainter(&outward).fillRect(0, 980, 400, 30, band);
  EXPECT_FALSE(dark(outward));
  exact.invertPixels();
  EXPECT_FALSE(dark(exact));

  EXPECT_TRUE(dark(filled(50, 50, QColor(114, 114, 114))));
  EXPECT_FALSE(dark(filled(50, 50, QColor(115, 115, 115))));
  EXPECT_TRUE(dark(filled(50, 50, Qt::blue)));  // luma 29, though the blue channel is full
  EXPECT_FALSE(dark(QImage())) << "nothing to measure: not dark";
}

TEST(Filters, TheLargestComponentOfAnEnlargedColourImageIsTakenPlaneByPlaneToTheBit) {
  // Colour noise with sharp edges, where a resampling's rounding would show,
  // and an alpha plane of noise too, which must not count: the largest of
  // red, green and blue of the colour image scaled whole.
  cv::Mat colour(97, 131, CV_8UC4);
  cv::randu(colour, 0, 256);
  cv::rectangle(colour, cv::Rect(20, 30, 40, 25), cv::Scalar(250, 10, 128, 3), cv::FILLED);
  for (const double k : {1.0, 1.6, 2.5, 4.0}) {
    cv::Mat planes[4];
    cv::split(imagefilter::scaled(colour, k), planes);
    cv::Mat expected;
    cv::max(planes[0], planes[1], expected);
    cv::max(expected, planes[2], expected);
    const cv::Mat got = imagefilter::maximumComponent(colour, k);
    ASSERT_EQ(got.size(), expected.size()) << k;
    ASSERT_EQ(got.type(), CV_8UC1) << k;
    EXPECT_EQ(cv::countNonZero(got != expected), 0) << k;
  }
  // A grey image is scaled as it is.
  cv::Mat grey(40, 30, CV_8UC1);
  cv::randu(grey, 0, 256);
  const cv::Mat scaledGrey = imagefilter::maximumComponent(grey, 2.5);
  ASSERT_EQ(scaledGrey.size(), cv::Size(75, 100));
  EXPECT_EQ(cv::countNonZero(scaledGrey != imagefilter::scaled(grey, 2.5)), 0);
  EXPECT_TRUE(imagefilter::maximumComponent(cv::Mat(), 2.5).empty());
}

}  // namespace
