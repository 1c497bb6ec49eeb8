// A drop-down's arrow after a button's label, cleared from a line's cut-out
// before it is read; letters and signs that stand where it stands stay.
#include <gtest/gtest.h>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "recognition/lines/ButtonLabels.h"
#include "tests/recognition/CodeImages.h"

namespace {

// Ink (darker than mid-grey) in columns [from, width) of `image`.
int inkFrom(const QImage& image, int from) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = from; x < image.width(); ++x) n += image.constScanLine(y)[x] < 128;
  return n;
}

TEST(DropArrow, AChevronAfterALabelGoesAndLettersAndSignsThereStay) {
  struct Case {
    const char* label;
    const char* after;  // drawn apart after the label; empty: a chevron
    int scale;
    bool cleared;
  };
  for (const Case& c : {Case{"MS", "", 1, true}, Case{"MR", "", 2, true}, Case{"Copy", "", 1, true},
                        Case{"MS", "v", 1, false}, Case{"Type", "v", 2, false}, Case{"x", "=", 1, false},
                        Case{"Type", "v", 1, false}, Case{"a", "~", 1, false}, Case{"Note", "*", 1, false}, Case{"Page", "y", 1, false}}) {
    SCOPED_TRACE(std::string(c.label) + " " + c.after + " @" + std::to_string(c.scale));
    const int s = c.scale;
    QImage image(90 * s, 26 * s, QImage::Format_Grayscale8);
    image.fill(255);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(13 * s);
    p.setFont(font);
    p.setPen(QColor(40, 40, 40));
    const int baseline = 18 * s;
    p.drawText(4 * s, baseline, QString::fromLatin1(c.label));
    const int at = 4 * s + QFontMetrics(font).horizontalAdvance(QString::fromLatin1(c.label)) + 6 * s;
    if (*c.after) {
      p.drawText(at, baseline, QString::fromLatin1(c.after));
    } else {
      // GTK's drop-down chevron: a stroked "v" about the middle of the
      // capitals' height.
      QPainterPath chevron;
      chevron.moveTo(at, 11.5 * s);
      chevron.lineTo(at + 3.5 * s, 15 * s);
      chevron.lineTo(at + 7 * s, 11.5 * s);
      p.setPen(QPen(QColor(40, 40, 40), 1.2 * s));
      p.drawPath(chevron);
    }
    p.end();
    const int labelInk = inkFrom(image, 0) - inkFrom(image, at - 2 * s);
    ASSERT_GT(inkFrom(image, at - 2 * s), 0);
    ocr::clearDropArrow(image, 255);
    EXPECT_EQ(inkFrom(image, at - 2 * s) == 0, c.cleared);
    EXPECT_EQ(inkFrom(image, 0) - inkFrom(image, at - 2 * s), labelInk);
  }
}

}  // namespace

// A sheet of QR codes: each finder mark's centre is a lone block centred in
// a frame, as a key's "." is. Read as labels they cost an engine read each
// and give nothing; a keypad has a few flat signs, never hundreds.
TEST(UnboxedLabels, ASheetOfCodesIsNoKeypad) {
  const auto qr = codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.org/sheet");
  QImage sheet(8 * 148, 8 * 148, QImage::Format_RGB32);
  sheet.fill(Qt::white);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) codeimages::draw(sheet, qr, x * 148 + 24, y * 148 + 24, 4);
  const QImage grey = sheet.convertToFormat(QImage::Format_Grayscale8);
  EXPECT_TRUE(ocr::buttonLabelBoxes(sheet, grey, 255, 64, 14, {}).empty());
}
