// An "e" read for a "c" is put right from the letter's own ink in lines set
// in a monospace face, anti-aliased and not: a "c" has no eye and is open on
// the right in its middle rows; a real "e" stays. Lines of a proportional
// face are left as read.
#include <gtest/gtest.h>

#include <QFont>
#include <QPainter>

#include "recognition/words/LetterInk.h"

namespace {

// `text` drawn black on white in `family` at `px` pixels, and the box of
// each of its words' ink (the columns its advance gives it).
QImage drawn(const QString& text, const QString& family, int px, bool smooth, std::vector<QRect>* words) {
  QFont font(family);
  font.setPixelSize(px);
  font.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
  const QFontMetrics metrics(font);
  QImage image(metrics.horizontalAdvance(text) + 8, 2 * px, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(4, px + px / 3, text);
  painter.end();
  words->clear();
  qsizetype from = 0;
  for (const QString& word : text.split(QLatin1Char(' '))) {
    const int left = 4 + metrics.horizontalAdvance(text.left(from)), right = 4 + metrics.horizontalAdvance(text.left(from + word.size()));
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
      for (int x = left; x < right; ++x)
        if (image.constScanLine(y)[x] < 128) ink |= QRect(x, y, 1, 1);
    words->push_back(ink);
    from += word.size() + 1;
  }
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

// Each line drawn in each face, read as `read` (word for word), put right.
void check(const std::vector<Face>& faces, const std::vector<Case>& cases, ocr::Pitch pitch = ocr::Pitch::FromInk) {
  for (const Face& face : faces)
    for (const Case& c : cases) {
      SCOPED_TRACE(QStringLiteral("%1 %2 px: %3").arg(QLatin1String(face.family)).arg(face.px).arg(QLatin1String(c.drawn)).toStdString());
      std::vector<QRect> boxes;
      const QImage image = drawn(QString::fromLatin1(c.drawn), QLatin1String(face.family), face.px, face.smooth, &boxes);
      const QStringList read = QString::fromLatin1(c.read).split(QLatin1Char(' '));
      ASSERT_EQ(size_t(read.size()), boxes.size());
      ocr::EngineLine line{read.join(QLatin1Char(' ')), 0.9, std::nullopt, {}};
      for (qsizetype i = 0; i < read.size(); ++i) line.words.push_back({read[i], boxes[size_t(i)]});
      ocr::lettersByTheirInk(line, image, 255, {}, pitch);
      QStringList words;
      for (const ocr::EngineWord& w : line.words) words << w.text;
      EXPECT_EQ(words.join(QLatin1Char(' ')).toStdString(), c.expected);
      EXPECT_EQ(line.text.toStdString(), c.expected);
    }
}

const std::vector<Face> kMonospace{{"DejaVu Sans Mono", 11, true}, {"DejaVu Sans Mono", 13, true},
                                   {"DejaVu Sans Mono", 13, false}, {"DejaVu Sans Mono", 26, true}};

// Words of a listing around the word read; enough letters to tell the pitch.
#define LISTED "drwxr-xr-x 2 root staff "

TEST(LetterInk, AnEWithoutItsEyeIsAC) {
  check(kMonospace, {
                        {LISTED "bc", LISTED "be", LISTED "bc"},
                        {LISTED "abc", LISTED "abe", LISTED "abc"},
                        {LISTED "cube", LISTED "eube", LISTED "cube"},  // only the letter whose ink is open
                        {LISTED "be", LISTED "be", LISTED "be"},
                        {LISTED "hello", LISTED "hello", LISTED "hello"},
                        {LISTED "Genre", LISTED "Genre", LISTED "Genre"},
                        {LISTED "bc", LISTED "bec", LISTED "bec"},  // one mark read as two letters: left alone
                        {LISTED "bc", LISTED "b", LISTED "b"},
                        {"ls bc", "ls be", "ls be"},  // too few letters to tell the face
                    });
  // Unless the face is known to be monospace (a bitmap face's).
  check({{"DejaVu Sans Mono", 13, false}}, {{"ls bc", "ls be", "ls bc"}, {"bc", "be", "bc"}}, ocr::Pitch::Fixed);
}

// A monospace "l" turns its foot right, and reads as "L"; its top reaches
// out left of its stem. A real "L" stays, in any face.
TEST(LetterInk, AnLWhoseTopReachesLeftIsAnL) {
  check(kMonospace, {{LISTED "lib", LISTED "Lib", LISTED "lib"},
                     {LISTED "all", LISTED "aLL", LISTED "all"},
                     {LISTED "bc.l", LISTED "bc.L", LISTED "bc.l"}});
  std::vector<Face> faces = kMonospace;
  faces.push_back({"DejaVu Sans", 13, true});
  faces.push_back({"DejaVu Serif", 13, true});
  faces.push_back({"Nimbus Mono PS", 16, true});  // serifs both sides of the stem, at its foot too
  check(faces, {{LISTED "Lib", LISTED "Lib", LISTED "Lib"},
                {LISTED "ALL", LISTED "ALL", LISTED "ALL"},
                {LISTED "aLL", LISTED "aLL", LISTED "aLL"},
                {LISTED "HeLLo", LISTED "HeLLo", LISTED "HeLLo"}});
}

// Prose in a small proportional face, anti-aliased, stays as read: a serif
// "e" has its bar high and a tiny eye the grey fills, and there is no pitch
// to tell a monospace line by, even where a "c" was read as "e".
TEST(LetterInk, ProportionalLinesStayAsRead) {
  check({{"Nimbus Roman", 10, true},
         {"Nimbus Roman", 12, true},
         {"Nimbus Roman", 14, true},
         {"DejaVu Serif", 10, true},
         {"DejaVu Serif", 12, true},
         {"Nimbus Sans", 11, true},
         {"DejaVu Sans", 10, true},
         {"DejaVu Sans", 13, true}},
        {
            {"bee", "bee", "bee"},
            {"a bee flew in here", "a bee flew in here", "a bee flew in here"},
            {"Let me see the seven trees", "Let me see the seven trees", "Let me see the seven trees"},
            {"Lee tells all LLM users", "Lee tells all LLM users", "Lee tells all LLM users"},
            {"the bc line in them", "the be line in them", "the be line in them"},
            {"the Lib file is here", "the Lib file is here", "the Lib file is here"},
        });
}

// A box given in other pixels is turned into the image's first.
TEST(LetterInk, WordBoxesTurnedIntoTheImage) {
  std::vector<QRect> ink;
  const QImage image = drawn(QStringLiteral("drwxr-xr-x 2 root staff bc"), QStringLiteral("DejaVu Sans Mono"), 13, false, &ink);
  ocr::EngineLine line{QStringLiteral("drwxr-xr-x 2 root staff be"), 0.9, std::nullopt, {}};
  for (const QString& word : QStringLiteral("drwxr-xr-x 2 root staff be").split(QLatin1Char(' ')))
    line.words.push_back({word, ink[line.words.size()].translated(100, 50)});
  ocr::lettersByTheirInk(line, image, 255, [](const QRect& r) { return r.translated(-100, -50); });
  EXPECT_EQ(line.text, QStringLiteral("drwxr-xr-x 2 root staff bc"));
}

}  // namespace
