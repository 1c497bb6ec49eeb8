#include "ui/kit/Text.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QPainter>
#include <cmath>

namespace {

const QString kLong = QStringLiteral("Recognised text that is far too long for its little box");
const QString kHebrew = QStringLiteral("שלום עולם וכל יושביו");
const QString kParagraph = QStringLiteral(
    "The quick brown fox jumps over the lazy dog and keeps running across the field "
    "until the evening comes and the lights of the village are lit one by one.");
const QString kHebrewParagraph = QStringLiteral(
    "שלום עולם וכל יושביו, זהו טקסט ארוך למדי שצריך להתפרש על פני כמה שורות בתוך הקופסה");

QImage canvas(int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  return img;
}

// The painted columns' extent [min, max]; {-1, -1} when nothing was painted.
std::pair<int, int> columns(const QImage& img) {
  int lo = -1, hi = -1;
  for (int x = 0; x < img.width(); ++x)
    for (int y = 0; y < img.height(); ++y)
      if (qAlpha(img.pixel(x, y)) > 60) {
        if (lo < 0) lo = x;
        hi = x;
        break;
      }
  return {lo, hi};
}

// The last painted row; -1 when nothing was painted.
int lastRow(const QImage& img) {
  for (int y = img.height() - 1; y >= 0; --y)
    for (int x = 0; x < img.width(); ++x)
      if (qAlpha(img.pixel(x, y)) > 60) return y;
  return -1;
}

QImage line(int w, QRectF rect, const QString& text, const QFont& font, Qt::Alignment align,
            const kit::LineOptions& options = {}) {
  QImage img = canvas(w, int(rect.bottom()) + 2);
  QPainter p(&img);
  kit::drawLine(p, rect, text, font, Qt::black, align, options);
  return img;
}

}  // namespace

TEST(Text, FontTakesWholePixelsAndWeight) {
  const QFont f = kit::font(13.4, QFont::Medium);
  EXPECT_EQ(f.pixelSize(), 13);
  EXPECT_EQ(f.weight(), QFont::Medium);
  EXPECT_EQ(QFontInfo(kit::font(20, QFont::Normal, "DejaVu Serif")).family(), "DejaVu Serif");
  EXPECT_EQ(QFontInfo(kit::font(20, QFont::Normal, "DejaVu Serif")).pixelSize(), 20);
}

TEST(Text, ElidingShortensAndEndsWithAnEllipsis) {
  const QFont font = kit::font(16, QFont::Normal);
  const kit::FittedLine fit = kit::fitLine(kLong, font, 120);
  EXPECT_TRUE(fit.elided);
  EXPECT_TRUE(fit.text.endsWith(QChar(0x2026)));
  EXPECT_LT(fit.text.size(), kLong.size());
  EXPECT_TRUE(kLong.startsWith(fit.text.chopped(1)));
  EXPECT_LE(fit.width, 120);

  // Drawn: nothing past the box, while the whole line would reach far beyond it.
  const QImage boxed = line(400, {0, 0, 120, 24}, kLong, font, Qt::AlignLeft);
  const QImage free = line(400, {0, 0, 400, 24}, kLong, font, Qt::AlignLeft);
  EXPECT_LE(columns(boxed).second, 120);
  EXPECT_GT(columns(boxed).second, 80);
  EXPECT_GT(columns(free).second, 300);
}

TEST(Text, ShortLineIsLeftAlone) {
  const QFont font = kit::font(16, QFont::Normal);
  const kit::FittedLine fit = kit::fitLine("Hi", font, 120, {.shrinkToFit = true});
  EXPECT_FALSE(fit.elided);
  EXPECT_EQ(fit.text, "Hi");
  EXPECT_EQ(fit.font.pixelSize(), 16);
}

TEST(Text, ShrinkToFitBeforeEliding) {
  const QFont font = kit::font(20, QFont::Normal);
  const qreal natural = kit::lineWidth(kLong, font);

  // A little too wide: a smaller font takes the whole text.
  const qreal slightly = std::floor(natural * 0.93);
  const kit::FittedLine fits = kit::fitLine(kLong, font, slightly, {.shrinkToFit = true});
  EXPECT_FALSE(fits.elided);
  EXPECT_EQ(fits.text, kLong);
  EXPECT_LT(fits.font.pixelSize(), 20);
  EXPECT_GE(fits.font.pixelSize(), 17);
  EXPECT_LE(fits.width, slightly);
  // What is drawn is that smaller font, all of the text.
  const QImage drawn = line(int(natural) + 20, {0, 0, slightly, 30}, kLong, font, Qt::AlignLeft,
                            {.shrinkToFit = true});
  const QImage expected = line(int(natural) + 20, {0, 0, natural + 10, 30}, kLong, fits.font, Qt::AlignLeft);
  EXPECT_EQ(drawn, expected);

  // Far too wide: shrink to 85 % and no further, then elide.
  const kit::FittedLine squeezed = kit::fitLine(kLong, font, natural / 2, {.shrinkToFit = true});
  EXPECT_EQ(squeezed.font.pixelSize(), 17);  // ceil(0.85 x 20)
  EXPECT_TRUE(squeezed.elided);
  EXPECT_LE(squeezed.width, natural / 2);

  // Without the option the font keeps its size.
  EXPECT_EQ(kit::fitLine(kLong, font, slightly).font.pixelSize(), 20);
  EXPECT_TRUE(kit::fitLine(kLong, font, slightly).elided);
}

TEST(Text, LetterSpacingIsMeasuredAndFitted) {
  const QFont font = kit::font(16, QFont::Normal);
  const qreal plain = kit::lineWidth("abcdef", font);
  const qreal spaced = kit::lineWidth("abcdef", font, {.letterSpacing = 2});
  EXPECT_NEAR(spaced - plain, 12, 1);
  const kit::FittedLine fit = kit::fitLine(kLong, font, 150, {.letterSpacing = 2});
  EXPECT_LE(fit.width, 150);
  const QImage drawn = line(400, {0, 0, 150, 24}, kLong, font, Qt::AlignLeft, {.letterSpacing = 2});
  EXPECT_LE(columns(drawn).second, 150);
}

TEST(Text, RightToLeftTextAlignsRight) {
  const QFont font = kit::font(16, QFont::Normal);
  const QImage rtl = line(400, {0, 0, 400, 24}, kHebrew, font, Qt::AlignLeading | Qt::AlignVCenter);
  EXPECT_GT(columns(rtl).first, 200);
  EXPECT_GE(columns(rtl).second, 390);
  const QImage ltr = line(400, {0, 0, 400, 24}, "Hello there", font, Qt::AlignLeading | Qt::AlignVCenter);
  EXPECT_LE(columns(ltr).first, 5);
  EXPECT_LT(columns(ltr).second, 200);
  // An absolute left keeps right-to-left text on the left.
  const QImage pinned = line(400, {0, 0, 400, 24}, kHebrew, font, Qt::AlignLeft | Qt::AlignAbsolute);
  EXPECT_LT(columns(pinned).second, 200);
  // A forced direction overrides what the text says.
  const QImage forced = line(400, {0, 0, 400, 24}, "Hello there", font, Qt::AlignLeading,
                             {.direction = Qt::RightToLeft});
  EXPECT_GT(columns(forced).first, 200);
}

TEST(Text, BlockHeightGrowsWithSpacingAndNarrowerWidth) {
  const QFont font = kit::font(15, QFont::Normal);
  const kit::TextBlock plain(kParagraph, font, 240);
  ASSERT_GE(plain.lineCount(), 3);
  const kit::TextBlock airy(kParagraph, font, 240, {.lineSpacing = 1.5});
  const kit::TextBlock padded(kParagraph, font, 240, {.extraSpacing = 5});
  const kit::TextBlock narrow(kParagraph, font, 120);
  EXPECT_EQ(airy.lineCount(), plain.lineCount());
  EXPECT_GT(airy.height(), plain.height() * 1.3);
  EXPECT_NEAR(padded.height(), plain.height() + 5 * (plain.lineCount() - 1), 0.01);
  EXPECT_GT(narrow.lineCount(), plain.lineCount());
  EXPECT_GT(narrow.height(), plain.height());

  // The painted text ends within the reported height, on the last line.
  const qreal lineHeight = plain.height() / plain.lineCount();
  for (const kit::TextBlock* block : {&plain, &airy, &narrow}) {
    QImage img = canvas(260, int(block->height()) + 40);
    {
      QPainter p(&img);
      block->paint(p, {0, 0}, Qt::black);
    }
    const int last = lastRow(img);
    EXPECT_LE(last, block->height());
    EXPECT_GT(last, block->height() - lineHeight);
    EXPECT_LE(columns(img).second, block->width() + 1);
  }
}

TEST(Text, BlockBreaksAtNewlines) {
  const QFont font = kit::font(15, QFont::Normal);
  EXPECT_EQ(kit::TextBlock("one\ntwo\nthree", font, 400).lineCount(), 3);
  const kit::TextBlock empty(QString(), font, 400);
  EXPECT_EQ(empty.lineCount(), 0);
  EXPECT_EQ(empty.height(), 0);
}

TEST(Text, RightToLeftBlockAlignsRight) {
  const QFont font = kit::font(15, QFont::Normal);
  const kit::TextBlock block(kHebrewParagraph, font, 300);
  ASSERT_GE(block.lineCount(), 2);
  QImage img = canvas(300, int(block.height()) + 4);
  {
    QPainter p(&img);
    block.paint(p, {0, 0}, Qt::black);
  }
  // The last, shorter line hugs the right edge and leaves the left open.
  const int lastLineTop = int(block.height() - block.height() / block.lineCount());
  const QImage lastLine = img.copy(0, lastLineTop, 300, img.height() - lastLineTop);
  EXPECT_GE(columns(lastLine).second, 290);
  EXPECT_GT(columns(lastLine).first, 20);
}
