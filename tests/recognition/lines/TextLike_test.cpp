// Where a large image is read: its text, never its noise or pictures.
#include "recognition/lines/TextLike.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <future>

#include "recognition/LiveText.h"
#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"
#include "tests/app/FileCases.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"

namespace {

using textimages::Style;

const QStringList kEnglish{QStringLiteral("en-US")};
const QStringList kParagraph{QStringLiteral("Backups run every night at 02:30."),
                             QStringLiteral("Old copies are removed after 30 days."),
                             QStringLiteral("Restore a file from the History tab.")};

// `part` drawn at (x, y) on a white canvas of the given size.
QImage onCanvas(const QImage& part, int width, int height, int x = 40, int y = 40) {
  QImage canvas(width, height, QImage::Format_RGB32);
  canvas.fill(Qt::white);
  QPainter p(&canvas);
  p.drawImage(x, y, part);
  return canvas;
}

bool samePixels(const QImage& a, const QImage& b, const QRect& r) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

TEST(TextLike, NoiseAPhotoAndABlankScreenHoldNothingToRead) {
  struct Case {
    const char* name;
    QImage image;
    bool textLike;  // specks clumped by chance may look like a few pairs of letters
  };
  const Case cases[] = {{"noise", filecases::noise(1000, 1000), false},
                        {"gaussian noise", filecases::noiseOf("gauss", 1000, 1000), false},
                        {"coloured noise", filecases::noiseOf("colour", 1000, 1000), false},
                        {"smooth noise", filecases::noiseOf("smooth", 1000, 1000), false},
                        {"salt and pepper", filecases::noiseOf("salt", 1000, 1000), false},
                        {"photo", filecases::photo(1600, 1200), false},
                        {"blank", filecases::blank(1920, 1080), false}};
  for (const auto& [name, image, textLike] : cases) {
    if (!textLike) {
      EXPECT_TRUE(ocr::textLikeRegions(ocr::grey(image)).empty()) << name;
      EXPECT_TRUE(ocr::textLikeOnly(image).isNull()) << name;
    }
    // Neither road makes anything up.
    EXPECT_TRUE(Recognizer::recognize(image, kEnglish, true).text().isEmpty()) << name;
    const auto fast = std::async(std::launch::async, [&] { return LiveText::read(image, kEnglish); }).get();
    EXPECT_FALSE(fast) << name << ": " << fast->text();
  }
}

TEST(TextLike, TextBesideAPictureIsReadAndThePictureIsNot) {
  Style style;
  style.px = 13;
  const auto drawn = textimages::lines(kParagraph, style);
  QImage screen = onCanvas(drawn.image, 1600, 1000);
  {
    QPainter p(&screen);
    p.drawImage(900, 400, filecases::noise(600, 500));
  }
  // In colour, and in grey as a very large picture is read.
  for (const QImage& seen : {screen, screen.convertToFormat(QImage::Format_Grayscale8)}) {
    const QImage kept = ocr::textLikeOnly(seen);
    ASSERT_FALSE(kept.isNull());
    EXPECT_EQ(kept.format(), seen.format());
    for (const QRect& ink : drawn.ink) EXPECT_TRUE(samePixels(kept, seen, ink.translated(40, 40).adjusted(-4, -4, 4, 4)));
    // The noise is painted in the ground's grey.
    const QImage picture = kept.copy(900, 400, 600, 500).convertToFormat(QImage::Format_Grayscale8);
    EXPECT_EQ(ocr::measure(picture).inkThreshold, 0);
  }

  EXPECT_EQ(textimages::rowTexts(Recognizer::recognize(screen, kEnglish, true)), kParagraph);
}

TEST(TextLike, LoneMarksOnAQuietGroundAndFaintTextCount) {
  // A spin box's digit, alone on a large window.
  QImage window(900, 700, QImage::Format_RGB32);
  window.fill(QColor(239, 239, 239));
  {
    QPainter p(&window);
    p.setPen(QColor(160, 160, 160));
    p.setBrush(Qt::white);
    p.drawRect(400, 300, 60, 24);
    QFont font(QStringLiteral("Noto Sans"));
    font.setPixelSize(13);
    p.setFont(font);
    p.setPen(QColor(32, 33, 36));
    p.drawText(QRect(400, 300, 60, 24), Qt::AlignCenter, QStringLiteral("7"));
  }
  const QImage kept = ocr::textLikeOnly(window);
  ASSERT_FALSE(kept.isNull());
  EXPECT_TRUE(samePixels(kept, window, QRect(396, 296, 68, 32)));

  // Light grey hint text, 60 levels off the ground.
  Style faint;
  faint.ink = QColor(195, 195, 195);
  const QImage hint = onCanvas(textimages::lines(kParagraph, faint).image, 1200, 800);
  EXPECT_FALSE(ocr::textLikeRegions(ocr::grey(hint)).empty());
  EXPECT_FALSE(ocr::textLikeOnly(hint).isNull());
}

TEST(TextLike, SmallPicksAreReadAsTheyAre) {
  // A picked region of a photo or of noise is small enough to read whole:
  // what looks like nothing may be a word the analysis cannot tell.
  const QImage noise = filecases::noise(400, 300);
  EXPECT_EQ(ocr::textLikeOnly(noise), noise);
}

}  // namespace

