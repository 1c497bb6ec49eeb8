// An "e" read for a "c" is put right from the letter's own ink, in monospace
// and proportional faces, anti-aliased and not: a "c" has no eye and is open
// on the right in its middle rows; a real "e" stays.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>

#include "recognition/LetterInk.h"

namespace {

// `text` drawn black on white in `family` at `px` pixels, and the box of its
// ink.
QImage drawn(const QString& text, const QString& family, int px, bool smooth, QRect* ink) {
  QFont font(family);
  font.setPixelSize(px);
  font.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
  QImage image(QFontMetrics(font).horizontalAdvance(text) + 8, 2 * px, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(4, px + px / 3, text);
  painter.end();
  *ink = QRect();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.constScanLine(y)[x] < 128) *ink |= QRect(x, y, 1, 1);
  return image;
}

TEST(LetterInk, AnEWithoutItsEyeIsAC) {
  const struct {
    const char* drawn;
    const char* read;
    const char* expected;
  } cases[] = {
      {"bc", "be", "bc"},
      {"abc", "abe", "abc"},
      {"cube", "eube", "cube"},  // only the letter whose ink is open
      {"be", "be", "be"},
      {"hello", "hello", "hello"},
      {"bc", "bec", "bec"},  // one mark read as two letters: left alone
      {"bc", "b", "b"},
  };
  const struct {
    const char* family;
    int px;
    bool smooth;
  } faces[] = {{"DejaVu Sans Mono", 11, true}, {"DejaVu Sans Mono", 13, true}, {"DejaVu Sans Mono", 13, false},
               {"DejaVu Sans Mono", 26, true}, {"DejaVu Sans", 13, true}};
  for (const auto& face : faces)
    for (const auto& c : cases) {
      SCOPED_TRACE(QStringLiteral("%1 %2 px: %3").arg(QLatin1String(face.family)).arg(face.px).arg(QLatin1String(c.drawn)).toStdString());
      QRect ink;
      const QImage image = drawn(QString::fromLatin1(c.drawn), QLatin1String(face.family), face.px, face.smooth, &ink);
      const QString read = QString::fromLatin1(c.read);
      ocr::EngineLine line{QStringLiteral("is ") + read, 0.9, std::nullopt, {{QStringLiteral("is"), std::nullopt}, {read, ink}}};
      ocr::openBowls(line, image, 255);
      EXPECT_EQ(line.words.back().text, QString::fromLatin1(c.expected));
      EXPECT_EQ(line.text, QStringLiteral("is ") + QString::fromLatin1(c.expected));
    }
}

// A box given in other pixels is turned into the image's first.
TEST(LetterInk, WordBoxesTurnedIntoTheImage) {
  QRect ink;
  const QImage image = drawn(QStringLiteral("bc"), QStringLiteral("DejaVu Sans Mono"), 13, false, &ink);
  ocr::EngineLine line{QStringLiteral("be"), 0.9, std::nullopt, {{QStringLiteral("be"), ink.translated(100, 50)}}};
  ocr::openBowls(line, image, 255, [](const QRect& r) { return r.translated(-100, -50); });
  EXPECT_EQ(line.text, QStringLiteral("bc"));
}

}  // namespace
