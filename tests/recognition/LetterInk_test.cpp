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

struct Face {
  const char* family;
  int px;
  bool smooth;
};

struct Case {
  const char* drawn;
  const char* read;
  const char* expected;
};

// Each case drawn in each face, read as `read`, put right.
void check(const std::vector<Face>& faces, const std::vector<Case>& cases) {
  for (const Face& face : faces)
    for (const Case& c : cases) {
      SCOPED_TRACE(QStringLiteral("%1 %2 px: %3").arg(QLatin1String(face.family)).arg(face.px).arg(QLatin1String(c.drawn)).toStdString());
      QRect ink;
      const QImage image = drawn(QString::fromLatin1(c.drawn), QLatin1String(face.family), face.px, face.smooth, &ink);
      const QString read = QString::fromLatin1(c.read);
      ocr::EngineLine line{QStringLiteral("is ") + read, 0.9, std::nullopt, {{QStringLiteral("is"), std::nullopt}, {read, ink}}};
      ocr::lettersByTheirInk(line, image, 255);
      EXPECT_EQ(line.words.back().text, QString::fromLatin1(c.expected));
      EXPECT_EQ(line.text, QStringLiteral("is ") + QString::fromLatin1(c.expected));
    }
}

const std::vector<Face> kMonospace{{"DejaVu Sans Mono", 11, true}, {"DejaVu Sans Mono", 13, true},
                                   {"DejaVu Sans Mono", 13, false}, {"DejaVu Sans Mono", 26, true}};

TEST(LetterInk, AnEWithoutItsEyeIsAC) {
  std::vector<Face> faces = kMonospace;
  faces.push_back({"DejaVu Sans", 13, true});
  check(faces, {
                   {"bc", "be", "bc"},
                   {"abc", "abe", "abc"},
                   {"cube", "eube", "cube"},  // only the letter whose ink is open
                   {"be", "be", "be"},
                   {"hello", "hello", "hello"},
                   {"Genre", "Genre", "Genre"},
                   {"bc", "bec", "bec"},  // one mark read as two letters: left alone
                   {"bc", "b", "b"},
               });
}

// A monospace "l" turns its foot right, and reads as "L"; its top reaches
// out left of its stem. A real "L" stays, in any face.
TEST(LetterInk, AnLWhoseTopReachesLeftIsAnL) {
  check(kMonospace, {{"lib", "Lib", "lib"}, {"all", "aLL", "all"}, {"bc.l", "bc.L", "bc.l"}});
  std::vector<Face> faces = kMonospace;
  faces.push_back({"DejaVu Sans", 13, true});
  faces.push_back({"DejaVu Serif", 13, true});
  faces.push_back({"Nimbus Mono PS", 16, true});  // serifs both sides of the stem, at its foot too
  check(faces, {{"Lib", "Lib", "Lib"}, {"ALL", "ALL", "ALL"}, {"aLL", "aLL", "aLL"}, {"HeLLo", "HeLLo", "HeLLo"}});
}

// A box given in other pixels is turned into the image's first.
TEST(LetterInk, WordBoxesTurnedIntoTheImage) {
  QRect ink;
  const QImage image = drawn(QStringLiteral("bc"), QStringLiteral("DejaVu Sans Mono"), 13, false, &ink);
  ocr::EngineLine line{QStringLiteral("be"), 0.9, std::nullopt, {{QStringLiteral("be"), ink.translated(100, 50)}}};
  ocr::lettersByTheirInk(line, image, 255, [](const QRect& r) { return r.translated(-100, -50); });
  EXPECT_EQ(line.text, QStringLiteral("bc"));
}

}  // namespace
