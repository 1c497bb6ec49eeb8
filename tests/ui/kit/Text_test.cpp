#include "ui/kit/Text.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/Canvas.h"

namespace {

const QString kLong = QStringLiteral("Recognised text that is far too long for its little box");
const QString kHebrew = QStringLiteral("שלום עולם וכל יושביו");

// The painted columns' extent [min, max] and the last painted row; -1 when nothing was painted.
struct Ink {
  int left = -1, right = -1, bottom = -1;
};
Ink inkOf(const QImage& img) {
  Ink ink;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qAlpha(img.pixel(x, y)) > 60) {
        ink.left = ink.left < 0 ? x : std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.bottom = y;
      }
  return ink;
}

QImage drawn(QRectF rect, const QString& text, Qt::Alignment align, const kit::LineOptions& options = {},
             const QFont& font = kit::font(16, QFont::Normal)) {
  return testenv::painted(QSizeF(800, int(rect.bottom()) + 2),
                          [&](QPainter& p) { kit::drawLine(p, rect, text, font, Qt::black, align, options); });
}

Ink line(QRectF rect, const QString& text, Qt::Alignment align, const kit::LineOptions& options = {}) {
  return inkOf(drawn(rect, text, align, options));
}

QImage painted(const kit::TextBlock& b, int width, int extra) {
  return testenv::painted(QSizeF(width, int(b.height()) + extra), [&](QPainter& p) { b.paint(p, {0, 0}, Qt::black); });
}
Ink block(const kit::TextBlock& b, int width) { return inkOf(painted(b, width, 40)); }

TEST(Text, ElidingShortensAndEndsWithAnEllipsis) {
  const kit::FittedLine fit = kit::fitLine(kLong, kit::font(16, QFont::Normal), 120);
  EXPECT_TRUE(fit.elided);
  EXPECT_EQ(fit.text, kLong.left(fit.text.size() - 1) + QChar(0x2026));
  EXPECT_LE(fit.width, 120);
  // Drawn: nothing past the box, while the whole line would reach far beyond it.
  const Ink boxed = line({0, 0, 120, 24}, kLong, Qt::AlignLeft);
  EXPECT_TRUE(boxed.right > 80 && boxed.right <= 120) << boxed.right;
  EXPECT_GT(line({0, 0, 400, 24}, kLong, Qt::AlignLeft).right, 300);
}

TEST(Text, ShrinkToFitBeforeEliding) {
  const QFont font = kit::font(20, QFont::Normal);
  const kit::LineOptions shrink{.shrinkToFit = true};
  EXPECT_EQ(kit::fitLine("Hi", font, 120, shrink).font.pixelSize(), 20);  // a line that fits is left alone

  // A little too wide: a smaller font takes the whole text, and is what is drawn.
  const qreal natural = kit::lineWidth(kLong, font);
  const qreal slightly = std::floor(natural * 0.93);
  const kit::FittedLine fits = kit::fitLine(kLong, font, slightly, shrink);
  EXPECT_EQ(fits.text, kLong);
  EXPECT_LT(fits.font.pixelSize(), 20);
  EXPECT_LE(fits.width, slightly);
  EXPECT_EQ(drawn({0, 0, slightly, 30}, kLong, Qt::AlignLeft, shrink, font),
            drawn({0, 0, 800, 30}, kLong, Qt::AlignLeft, {}, fits.font));

  // Far too wide: shrink to 85 % and no further, then elide.
  const kit::FittedLine squeezed = kit::fitLine(kLong, font, natural / 2, shrink);
  EXPECT_EQ(squeezed.font.pixelSize(), 17);  // ceil(0.85 x 20)
  EXPECT_TRUE(squeezed.elided && squeezed.width <= natural / 2);
  // Without the option the font keeps its size.
  EXPECT_EQ(kit::fitLine(kLong, font, slightly).font.pixelSize(), 20);
}

TEST(Text, LetterSpacingIsMeasuredAndFitted) {
  const QFont font = kit::font(16, QFont::Normal);
  EXPECT_NEAR(kit::lineWidth("abcdef", font, {.letterSpacing = 2}) - kit::lineWidth("abcdef", font), 12, 1);
  EXPECT_LE(kit::fitLine(kLong, font, 150, {.letterSpacing = 2}).width, 150);
  EXPECT_LE(line({0, 0, 150, 24}, kLong, Qt::AlignLeft, {.letterSpacing = 2}).right, 150);
}

TEST(Text, RightToLeftTextAlignsRight) {
  const Ink rtl = line({0, 0, 400, 24}, kHebrew, Qt::AlignLeading | Qt::AlignVCenter);
  EXPECT_GT(rtl.left, 200);
  EXPECT_GE(rtl.right, 390);
  EXPECT_LT(line({0, 0, 400, 24}, "Hello there", Qt::AlignLeading).right, 200);
  // An absolute left keeps right-to-left text on the left.
  EXPECT_LT(line({0, 0, 400, 24}, kHebrew, Qt::AlignLeft | Qt::AlignAbsolute).right, 200);
  // A forced direction overrides what the text says.
  EXPECT_GT(line({0, 0, 400, 24}, "Hello there", Qt::AlignLeading, {.direction = Qt::RightToLeft}).left, 200);
}

TEST(Text, BlockWrapsAndReportsItsHeight) {
  const QString paragraph =
      "The quick brown fox jumps over the lazy dog and keeps running across the field "
      "until the evening comes and the lights of the village are lit one by one.";
  const QFont font = kit::font(15, QFont::Normal);
  const kit::TextBlock plain(paragraph, font, 240);
  ASSERT_GE(plain.lineCount(), 3);
  const kit::TextBlock airy(paragraph, font, 240, {.lineSpacing = 1.5});
  const kit::TextBlock padded(paragraph, font, 240, {.extraSpacing = 5});
  const kit::TextBlock narrow(paragraph, font, 120);
  EXPECT_EQ(airy.lineCount(), plain.lineCount());
  EXPECT_GT(airy.height(), plain.height() * 1.3);
  EXPECT_NEAR(padded.height(), plain.height() + 5 * (plain.lineCount() - 1), 0.01);
  EXPECT_GT(narrow.lineCount(), plain.lineCount());
  // The painted text ends within the reported height, on the last line.
  const qreal lineHeight = plain.height() / plain.lineCount();
  for (const kit::TextBlock* b : {&plain, &airy, &narrow}) {
    const Ink ink = block(*b, 260);
    EXPECT_LE(ink.bottom, b->height());
    EXPECT_GT(ink.bottom, b->height() - lineHeight);
    EXPECT_LE(ink.right, b->width() + 1);
  }
  EXPECT_EQ(kit::TextBlock("one\ntwo\nthree", font, 400).lineCount(), 3);
  EXPECT_EQ(kit::TextBlock(QString(), font, 400).height(), 0);
}

TEST(Text, RightToLeftBlockAlignsRight) {
  const kit::TextBlock b(QStringLiteral("שלום עולם וכל יושביו, זהו טקסט ארוך למדי שצריך להתפרש על פני כמה שורות בתוך הקופסה"),
                         kit::font(15, QFont::Normal), 300);
  ASSERT_GE(b.lineCount(), 2);
  // The last, shorter line hugs the right edge and leaves the left open.
  const QImage img = painted(b, 300, 4);
  const int lastLineTop = int(b.height() - b.height() / b.lineCount());
  const Ink last = inkOf(img.copy(0, lastLineTop, 300, img.height() - lastLineTop));
  EXPECT_GE(last.right, 290);
  EXPECT_GT(last.left, 20);
}

}  // namespace
