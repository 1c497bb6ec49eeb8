// Where the code search looks for linear codes turned away from the axes:
// the turn it measures, and the cells it measures it on.
#include "recognition/codes/SlantedBars.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <cmath>

#include "tests/recognition/CodeImages.h"

namespace {

using namespace codeimages;
using Recognizer::SlantedArea;

// A screen of `width` x `height` with lines of text in its top-left 900 x 700
// pixels and plain ground beyond them, and a code turned by `degrees` at
// (cx, cy).
QImage screenWithCode(int width, int height, double degrees, cv::Rect* drawn = nullptr) {
  QImage screen(width, height, QImage::Format_RGB32);
  screen.fill(QColor(250, 250, 250));
  QPainter(&screen).drawImage(0, 0, page(900, 700));
  const Drawn code = drawRotated(screen, encode(BarcodeFormat::Code128, "TURN-MEASURED"), 560, 380, 3, degrees, 110);
  // Its box in rows from the top.
  if (drawn)
    *drawn = cv::Rect(int(code.rect.minX()), int(height - code.rect.maxY()), int(code.rect.width), int(code.rect.height));
  return screen;
}

TEST(SlantedBars, FindTheCodeAndTheTurnThatMakesItsBarsUpright) {
  for (const double degrees : {30.0, -50.0, 140.0}) {
    cv::Rect drawn;
    const QImage screen = screenWithCode(1000, 800, degrees, &drawn);
    const std::vector<SlantedArea> found = Recognizer::slantedBars(toMat(screen), 4);
    ASSERT_FALSE(found.empty()) << degrees;
    // The largest area comes first, and it is the code's: text gives small,
    // thin patches, and none of them may come before it. Its box holds most
    // of the code's and reaches at most a few cells past it.
    const SlantedArea& code = found.front();
    EXPECT_GE((code.box & drawn).area(), 0.8 * drawn.area()) << degrees;
    const cv::Rect near(drawn.x - 32, drawn.y - 32, drawn.width + 64, drawn.height + 64);
    EXPECT_EQ(code.box & near, code.box) << degrees;
    // Drawn turned clockwise on screen by `degrees`; turning it back
    // counter-clockwise by the same angle, modulo a half turn, stands it up.
    EXPECT_LT(std::abs(std::remainder(code.degrees - degrees, 180.0)), 3.0) << degrees << " measured " << code.degrees;
  }
}

TEST(SlantedBars, PixelsPastTheLastWholeCellChangeNothing) {
  // Cells tile the image from its top-left corner: a screen one to seven
  // pixels wider or taller than a whole number of cells, its extra pixels
  // plain ground, gives the same areas and turns.
  const std::vector<SlantedArea> whole = Recognizer::slantedBars(toMat(screenWithCode(1000, 800, 35)), 4);
  ASSERT_FALSE(whole.empty());
  for (const auto& [w, h] : {std::pair{1001, 800}, {1007, 805}, {1000, 807}}) {
    const std::vector<SlantedArea> more = Recognizer::slantedBars(toMat(screenWithCode(w, h, 35)), 4);
    ASSERT_EQ(more.size(), whole.size()) << w << "x" << h;
    for (size_t i = 0; i < whole.size(); ++i) {
      EXPECT_EQ(more[i].box, whole[i].box) << w << "x" << h;
      EXPECT_FLOAT_EQ(float(more[i].degrees), float(whole[i].degrees)) << w << "x" << h;
    }
  }
}

TEST(SlantedBars, NothingOnPlainTextOrOnImagesItCannotMeasure) {
  QImage text(1000, 800, QImage::Format_RGB32);
  text.fill(QColor(250, 250, 250));
  QPainter(&text).drawImage(0, 0, page(900, 700));
  EXPECT_TRUE(Recognizer::slantedBars(toMat(text), 4).empty());
  EXPECT_TRUE(Recognizer::slantedBars(cv::Mat(), 4).empty());
  EXPECT_TRUE(Recognizer::slantedBars(cv::Mat(12, 400, CV_8UC1, cv::Scalar(0)), 4).empty());  // thinner than two cells
  // Colour is not what it measures: it asks for grey and gets none.
  EXPECT_TRUE(Recognizer::slantedBars(cv::Mat(800, 1000, CV_8UC3, cv::Scalar(0, 0, 0)), 4).empty());
}

}  // namespace
