// The full stop of a bitmap face read as a comma is put right from the mark
// itself, enlarged as bitmap text is read: a diamond on the foot is a full
// stop, a mark whose tail hangs to the left a comma.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>

#include "recognition/words/BitmapDots.h"
#include "recognition/lines/BitmapText.h"

namespace {

constexpr int kScale = 3;

// `drawn` in a monospace face without anti-aliasing, each "d" a diamond and
// each "c" a hanging comma drawn pixel by pixel as xterm's 6x13 face has them.
QImage drawnWord(const QString& drawn) {
  QImage image(8 * int(drawn.size()) + 8, 20, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPixelSize(13);
  font.setStyleStrategy(QFont::NoAntialias);
  painter.setFont(font);
  painter.setPen(Qt::black);
  const int cell = QFontMetrics(font).horizontalAdvance(QLatin1Char('0'));
  for (qsizetype i = 0; i < drawn.size(); ++i) {
    const int x = 4 + int(i) * cell;
    if (drawn[i] == QLatin1Char('d')) painter.drawPoints(QPolygon({{x + 2, 12}, {x + 1, 13}, {x + 2, 13}, {x + 3, 13}, {x + 2, 14}}));
    else if (drawn[i] == QLatin1Char('c')) painter.drawPoints(QPolygon({{x + 2, 12}, {x + 3, 12}, {x + 2, 13}, {x + 3, 13}, {x + 2, 14}, {x + 1, 15}}));
    else painter.drawText(x, 15, QString(drawn[i]));
  }
  painter.end();
  return ocr::enlargedBitmap(image, kScale);
}

TEST(BitmapDots, CommasOnTheFootBecomeFullStopsAndHangingOnesStay) {
  const struct {
    const char* drawn;
    const char* read;
    const char* expected;
  } cases[] = {
      {"3d134", "3,134", "3.134"},
      {"1d2d5d1-2", "1,2.5,1-2", "1.2.5.1-2"},
      {"5d2d15", "5,.2,15", "5.2.15"},  // one diamond read as ",."
      {"assemblerc", "assembler,", "assembler,"},
      {"Statuscx", "Status,x", "Status,x"},
      {"1d2", "1,2,3", "1,2,3"},  // the marks do not match the text: left alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.drawn);
    const QImage image = drawnWord(QString::fromLatin1(c.drawn));
    const QString read = QString::fromLatin1(c.read);
    ocr::EngineLine line{QStringLiteral("word ") + read, 0.9, std::nullopt, {{QStringLiteral("word"), std::nullopt}, {read, image.rect()}}};
    ocr::commasOnTheFoot(line, image, 255, kScale);
    EXPECT_EQ(line.words.back().text, QString::fromLatin1(c.expected));
    EXPECT_EQ(line.text, QStringLiteral("word ") + QString::fromLatin1(c.expected));
  }
}

}  // namespace
