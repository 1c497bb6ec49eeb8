// The renderings of the thorough code pass: their count, scale factors, back
// mappings, sizes, the dark test, and the filters they use.
#include "recognition/CodeVariants.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <opencv2/imgproc.hpp>

#include "recognition/ImageFilters.h"
#include "recognition/Recognizer.h"

namespace {

using Recognizer::CodeSource;
using Recognizer::Variant;

void expectRect(const PixelRect& r, double x, double y, double w, double h) {
  EXPECT_EQ(std::vector<double>({r.x, r.y, r.width, r.height}), std::vector<double>({x, y, w, h}));
}

QImage filled(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

std::vector<Variant> listFor(const QImage& image) { return Recognizer::variants(std::make_shared<CodeSource>(image)); }

bool dark(const QImage& image) { return Recognizer::isDark(CodeSource(image)); }

TEST(Variants, ScaleBoundariesAndTilesFrom900) {
  for (const auto& [s, k] : {std::pair{299.0, 4.0}, {300.0, 2.5}, {699.0, 2.5}, {700.0, 1.6}, {1399.0, 1.6},
                             {1400.0, 1.0}})
    EXPECT_EQ(Recognizer::variantScale(s), k) << s;
  EXPECT_EQ(listFor(filled(899, 2000, Qt::white)).size(), 12u);
  EXPECT_EQ(listFor(filled(2000, 900, Qt::white)).size(), 21u);
  EXPECT_TRUE(listFor(QImage()).empty());
}

TEST(Variants, BackMappingsOfTheExamples) {
  expectRect(Recognizer::unscale({250, 500, 100, 50}, 2.5), 100, 200, 40, 20);
  expectRect(Recognizer::untile({100, 50, 250, 125}, 400, 250), 440, 270, 100, 50);

  // s = 500 gives k = 2.5: variants 5 to 12 divide by it, 1 to 4 keep the box.
  const auto small = listFor(filled(800, 500, Qt::white));
  for (size_t i = 0; i < 4; ++i) expectRect(small[i].back({250, 500, 100, 50}), 250, 500, 100, 50);
  for (size_t i = 4; i < 12; ++i) expectRect(small[i].back({250, 500, 100, 50}), 100, 200, 40, 20);

  // W = 1600, H = 1000: tiles of 800 x 500 at x in {0, 400, 800}, y in
  // {0, 250, 500}, y the outer loop; (400, 250) is the fifth tile.
  const auto large = listFor(filled(1600, 1000, Qt::white));
  ASSERT_EQ(large.size(), 21u);
  expectRect(large[16].back({100, 50, 250, 125}), 440, 270, 100, 50);
  expectRect(large[20].back({0, 0, 2000, 1250}), 800, 500, 800, 500);
  expectRect(large[4].back({160, 320, 16, 32}), 100, 200, 10, 20);  // k = 1.6 for s = 1000
}

TEST(Variants, RenderingsAreGreyWithTheirExtentRoundedOutward) {
  // s = 333: k = 2.5; 501 x 333 scaled is 1252.5 x 832.5.
  const auto list = listFor(filled(501, 333, QColor(200, 120, 40)));
  for (size_t i = 0; i < list.size(); ++i) {
    const cv::Mat m = list[i].make();
    ASSERT_EQ(m.type(), CV_8UC1) << "variant " << i + 1;
    EXPECT_EQ(cv::Size(m.cols, m.rows), i < 4 ? cv::Size(501, 333) : cv::Size(1253, 833)) << "variant " << i + 1;
  }
  // Tiles of a 1601 x 1001 image: 800.5 x 500.5 enlarged 2.5 times.
  const cv::Mat tile = listFor(filled(1601, 1001, Qt::white))[20].make();
  EXPECT_EQ(cv::Size(tile.cols, tile.rows), cv::Size(2002, 1252));
}

TEST(Variants, TilesCoverOverlappingQuartersFromTheBottomLeft) {
  // A black square in the bottom-left corner shows up in the first tile only
  // (origin at the bottom left), enlarged 2.5 times.
  QImage image = filled(1200, 1000, Qt::white);
  QPainter(&image).fillRect(0, 1000 - 100, 100, 100, Qt::black);
  const auto list = listFor(image);
  ASSERT_EQ(list.size(), 21u);
  const cv::Mat first = list[12].make();
  EXPECT_LT(first.at<uchar>(first.rows - 10, 10), 40);
  EXPECT_GT(first.at<uchar>(first.rows - 300, 300), 215);
  for (size_t i = 13; i < 21; ++i) {
    double lo = 0;
    cv::minMaxLoc(list[i].make(), &lo);
    EXPECT_GT(lo, 215) << "tile " << i + 1;
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

TEST(DarkTest, InvertsTheBaseRenderingsOnly) {
  // A grey screen with a light bottom strip, and its negative (dark strip).
  // Where the dark flag inverts the base, the negative's renderings come out
  // as the screen's own; elsewhere they stay negatives of each other.
  QImage light(960, 900, QImage::Format_RGB32);
  light.fill(QColor(200, 200, 200));
  {
    QPainter p(&light);
    for (int x = 0; x < 960; x += 24) p.fillRect(x, 0, 12, 860, QColor(60, 60, 60));
    p.fillRect(0, 870, 960, 30, Qt::white);
  }
  QImage negative = light.copy();
  negative.invertPixels();
  ASSERT_FALSE(dark(light));
  ASSERT_TRUE(dark(negative));

  const auto a = listFor(light), b = listFor(negative);
  ASSERT_EQ(a.size(), 21u);
  // The share of pixels where the renderings agree (or are complementary),
  // give or take rounding; a threshold may tip a few edge pixels.
  auto share = [&](size_t i, bool complementary) {
    const cv::Mat x = a[i].make(), y = b[i].make();
    cv::Mat diff;
    cv::absdiff(x, complementary ? imagefilter::invert(y) : y, diff);
    return 1.0 - cv::countNonZero(diff > 2) / double(x.total());
  };
  for (size_t i : {1, 3, 4, 6, 7, 8, 9, 10, 11}) EXPECT_GT(share(i, false), 0.98) << "variant " << i + 1;
  for (size_t i : {0, 2, 5, 12, 16, 20}) EXPECT_GT(share(i, true), 0.98) << "variant " << i + 1;
}

TEST(Filters, GreysAndAverages) {
  cv::Mat colour(1, 1, CV_8UC4, cv::Scalar(40, 120, 200, 255));    // B G R X
  EXPECT_EQ(imagefilter::gray(colour, 1.0).at<uchar>(0, 0), 135);  // luma weights, not a plain mean
  EXPECT_EQ(imagefilter::maximumComponent(colour).at<uchar>(0, 0), 200);
  const cv::Mat grey(1, 3, CV_8UC1, cv::Scalar(200));
  EXPECT_EQ(imagefilter::contrast(grey, 1.6).at<uchar>(0, 0), 244);  // about the middle grey
  EXPECT_FALSE(imagefilter::areaAverage(grey, {5, 5, 3, 1})) << "outside the image";
}

TEST(Filters, BlurAndJoinExtendTheEdges) {
  const cv::Mat flat(40, 40, CV_8UC1, cv::Scalar(180));
  EXPECT_EQ(cv::countNonZero(imagefilter::blur(flat, 5) != 180), 0);
  EXPECT_EQ(cv::countNonZero(imagefilter::join(flat, 5) != 180), 0);

  // The minimum over a disc grows a dark dot into a disc of that radius.
  cv::Mat dot(41, 41, CV_8UC1, cv::Scalar(255));
  dot.at<uchar>(20, 20) = 0;
  const cv::Mat grown = imagefilter::join(dot, 6);
  EXPECT_EQ(grown.at<uchar>(20, 26), 0);
  EXPECT_EQ(grown.at<uchar>(20, 27), 255);
  EXPECT_EQ(grown.at<uchar>(25, 25), 255);  // outside the disc, inside its square
  EXPECT_EQ(grown.at<uchar>(24, 24), 0);
}

}  // namespace
