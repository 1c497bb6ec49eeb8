// The screen cleaning on drawn widgets: chrome goes, text stays, and text
// that is not on a widget comes out untouched.
#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <QPainterPath>

#include "recognition/clean/Prepare.h"
#include "recognition/clean/ScreenClean.h"
#include "tests/recognition/TextImages.h"

namespace {

constexpr int kGround = 239;  // a light theme's window

// A window of `width` x `height` to draw widgets on, in Noto Sans 13 px.
struct Canvas {
  QImage image;
  QPainter p;
  Canvas(int width, int height) : image(width, height, QImage::Format_RGB32) {
    image.fill(QColor(kGround, kGround, kGround));
    p.begin(&image);
    QFont font(QStringLiteral("Noto Sans"));
    font.setPixelSize(13);
    p.setFont(font);
  }
  void text(int x, int baseline, const QString& s, QColor ink = QColor(32, 33, 36)) {
    p.setPen(ink);
    p.drawText(x, baseline, s);
  }
  // The grey image, cleaned.
  QImage cleaned(ocr::Cleaned* out = nullptr) {
    p.end();
    QImage g = ocr::grey(image);
    const ocr::Cleaned c = ocr::clean(g, kGround);
    if (out) *out = c;
    return g;
  }
};

using textimages::darkerThan;

TEST(ScreenClean, ProseAndCodeComeOutPixelForPixel) {
  // Bars, bullets, brackets, dashes, a lone O and square characters: text
  // that looks like chrome but stands where text stands.
  const std::vector<QStringList> pages{
      {"if (a | b) return x || y;", "• Milk   • Bread   — done", "[x] checked  (o) chosen  a_b = c - d",
       "O Brother, where art thou?"},
      {"출구 口 ロボット 入口", "見出し：口述 □ 項目"}};
  const QStringList families{"Noto Sans Mono", "Noto Sans CJK JP"};
  for (size_t i = 0; i < pages.size(); ++i) {
    for (const textimages::Style& base : {textimages::Style{}, textimages::dark(13)}) {
      textimages::Style style = base;
      style.family = families[int(i)];
      const QImage image = textimages::lines(pages[i], style).image;
      ocr::PrepareOptions plain;
      plain.clean = false;
      SCOPED_TRACE(pages[i].join(" / ").toStdString());
      EXPECT_EQ(ocr::prepare(image).image, ocr::prepare(image, plain).image);
    }
  }
}

TEST(ScreenClean, FramesAndSeparatorsGoTheTextInThemStays) {
  Canvas c(420, 160);
  c.p.setPen(QColor(160, 160, 160));
  c.p.drawRoundedRect(QRectF(100.5, 20.5, 200, 24), 2, 2);  // a text field
  c.text(106, 37, "Office Laser");
  c.p.setPen(QColor(205, 205, 205));
  c.p.drawLine(10, 70, 400, 70);    // a separator
  c.p.drawLine(380, 80, 380, 150);  // an upright one
  const QRect words(104, 22, 90, 20);
  QImage before = ocr::grey(c.image);
  ocr::Cleaned cleaned;
  const QImage after = c.cleaned(&cleaned);
  EXPECT_GE(cleaned.lines, 3);
  EXPECT_EQ(darkerThan(after, words, 120), darkerThan(before, words, 120));
  for (const QRect& chrome : {QRect(100, 20, 1, 25), QRect(200, 20, 1, 1), QRect(10, 70, 391, 1), QRect(380, 80, 1, 71)})
    EXPECT_EQ(darkerThan(after, chrome, kGround - 8), 0) << chrome.x() << "," << chrome.y();
}

TEST(ScreenClean, CheckBoxesRadioButtonsAndArrowsGoLettersStay) {
  Canvas c(360, 150);
  c.p.setRenderHint(QPainter::Antialiasing);
  c.p.setPen(QColor(120, 120, 120));
  c.p.setBrush(Qt::white);
  c.p.drawRect(QRectF(10.5, 10.5, 13, 13));  // a ticked check box
  c.p.drawLine(QPointF(13, 17), QPointF(21, 13));
  c.text(30, 22, "Print on both sides");
  c.p.drawEllipse(QRectF(10.5, 40.5, 14, 14));  // a chosen radio button
  c.p.setBrush(QColor(40, 40, 40));
  c.p.drawEllipse(QRectF(14.5, 44.5, 6, 6));
  c.text(31, 52, "Portrait");
  c.text(10, 82, "O Brother and OK");  // round letters, one alone
  c.p.setBrush(Qt::NoBrush);
  c.p.drawRect(QRectF(10.5, 100.5, 180, 24));  // a drop-down: its value and its arrow
  c.text(16, 117, "A4");
  QPainterPath arrow;
  arrow.addPolygon(QPolygonF({QPointF(172, 110), QPointF(180, 110), QPointF(176, 115)}));
  c.p.fillPath(arrow, QColor(60, 60, 60));
  const QImage before = ocr::grey(c.image);
  const QImage after = c.cleaned();
  for (const QRect& mark : {QRect(10, 10, 15, 15), QRect(10, 40, 16, 16), QRect(170, 108, 12, 9)})
    EXPECT_EQ(darkerThan(after, mark, kGround - 8), 0) << mark.x() << "," << mark.y();
  for (const QRect& letters : {QRect(30, 10, 130, 16), QRect(31, 40, 60, 16), QRect(10, 68, 130, 18), QRect(15, 104, 20, 16)})
    EXPECT_EQ(darkerThan(after, letters, 120), darkerThan(before, letters, 120)) << letters.x() << "," << letters.y();
}

TEST(ScreenClean, TextOnADarkerPatchTurnsDarkOnTheGround) {
  // A default button in the accent colour and a dark header, each with white
  // text, beside text on the window.
  Canvas c(300, 120);
  c.text(140, 39, "Ready to print");
  c.p.fillRect(QRect(20, 20, 100, 28), QColor(48, 140, 198));
  c.text(46, 39, "Print", Qt::white);
  c.p.fillRect(QRect(20, 70, 260, 34), QColor(55, 71, 79));
  c.text(30, 92, "Recent files", Qt::white);
  ocr::Cleaned cleaned;
  const QImage after = c.cleaned(&cleaned);
  EXPECT_EQ(cleaned.islands, 2);
  for (const QRect& patch : {QRect(20, 20, 100, 28), QRect(20, 70, 260, 34)}) {
    const int area = patch.width() * patch.height();
    EXPECT_GT(darkerThan(after, patch, kGround - 10), 0) << "the text is dark now";
    EXPECT_LT(darkerThan(after, patch, kGround - 10), area / 5) << "the patch is ground";
    EXPECT_GT(darkerThan(after, patch, 100), 10);
  }
}

}  // namespace

TEST(ScreenClean, AFrameOnTheImagesEdgeLeavesTheLettersBesideItWhole) {
  // A window pick: the window manager's frame is the picture's edge, and a
  // terminal's letters start three pixels inside it. Its box grown within the
  // picture came out four pixels inside the frame, and the dot of an "i"
  // beside it was then taken for a small mark at the box's end.
  Canvas c(300, 80);
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPixelSize(13);
  font.setStyleStrategy(QFont::NoAntialias);
  c.p.setFont(font);
  c.p.setPen(QColor(89, 89, 89));
  c.p.drawRect(0, 0, 299, 79);
  for (int row = 0; row < 5; ++row) c.text(3, 16 + 15 * row, row % 2 ? "ii  apt-get  2.6.1" : "ii  adduser  3.134");
  const QImage drawn = ocr::grey(c.image);
  const QImage cleaned = c.cleaned();
  // The frame may go or stay; every pixel of the letters inside it stays.
  int lost = 0;
  for (int y = 2; y < 78; ++y)
    for (int x = 2; x < 298; ++x)
      if (qGray(drawn.pixel(x, y)) < kGround - 40 && qGray(cleaned.pixel(x, y)) >= kGround - 40) ++lost;
  EXPECT_EQ(lost, 0);
}
