// Word boxes and spaces put right from the ink of a line: a box the engine
// ran on over the words after it, a space it lost across a blank cell.
#include <gtest/gtest.h>

#include <QPainter>

#include "recognition/lines/BitmapText.h"
#include "recognition/words/WordEnds.h"

namespace {

// Words as blocks of ink, enlarged and softened as bitmap text is read when
// `factor` is more than 1 (the rims must not hold a box's end).
QImage blocks(const std::vector<QRect>& inks, int factor, const QRect& light = {}) {
  QImage image(120, 14, QImage::Format_Grayscale8);
  image.fill(255);
  QPainter painter(&image);
  for (const QRect& r : inks) painter.fillRect(r, Qt::black);
  painter.fillRect(light, QColor(170, 170, 170));
  painter.end();
  return factor > 1 ? ocr::enlargedBitmap(image, factor) : image;
}

TEST(WordEnds, ABoxRunningOverTheNextWordsEndsAtItsInk) {
  constexpr int kFactor = 4;
  const std::vector<QRect> words{{2, 3, 40, 8}, {48, 3, 6, 8}, {60, 3, 24, 8}, {90, 3, 24, 8}};
  const QImage image = blocks(words, kFactor);
  const struct {
    const char* name;
    int broken;      // the word whose box runs to the line's end, or -1
    bool reversed;   // the words in a right-to-left reading order
    int inside = 0;  // source pixels the second word's box starts inside its ink
  } cases[] = {{"first word", 0, false},      {"middle word", 2, false}, {"boxes right", -1, false},
               {"right to left", 0, true},    {"next box inside its letter", 0, false, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ocr::EngineLine line{QStringLiteral("a b c d"), 0.9, std::nullopt, {}};
    for (int i = 0; i < 4; ++i) {
      QRect box(words[size_t(i)].topLeft() * kFactor, words[size_t(i)].size() * kFactor);
      if (i == c.broken) box.setRight(words.back().right() * kFactor);
      if (i == 1) box.setLeft(box.left() + c.inside * kFactor);
      line.words.push_back({QString(QChar('a' + i)), box});
    }
    if (c.reversed) std::reverse(line.words.begin(), line.words.end());
    ocr::endWordsAtInk(line, image, 255);
    if (c.reversed) std::reverse(line.words.begin(), line.words.end());
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(line.words[size_t(i)].box->right(), (words[size_t(i)].right() + 1) * kFactor - 1) << i;
  }
}

TEST(WordEnds, AWordIsCutWhereItsInkLeavesACharacterBlank) {
  // "2021 X11 ->." in cells 6 px wide, "->" and "." `gap` px apart (or
  // joined by letters in a light colour).
  const struct {
    const char* read;
    int gap;
    const char* expected;
    bool light = false;
  } cases[] = {{"2021 X11 ->.", 9, "2021 X11 -> ."},
               {"2021 X11 ->.", 4, "2021 X11 ->."},
               {"X11 ->.", 9, "X11 ->."},
               {"2021 X11 ->.", 9, "2021 X11 ->.", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.read);
    const QStringList read = QString::fromLatin1(c.read).split(QLatin1Char(' '));
    std::vector<QRect> inks{{2, 3, 23, 8}, {32, 3, 17, 8}, {56, 3, 11, 8}, {67 + c.gap, 9, 2, 2}};
    inks.erase(inks.begin(), inks.begin() + (3 - read.size()));
    const QImage image = blocks(inks, 1, c.light ? QRect(67, 3, c.gap, 8) : QRect());
    ocr::EngineLine line{QString::fromLatin1(c.read), 0.9, std::nullopt, {}};
    for (qsizetype i = 0; i < read.size(); ++i)
      line.words.push_back({read[i], i + 1 < read.size() ? inks[size_t(i)] : inks[size_t(i)] | inks.back()});
    ocr::splitAtSpaces(line, image, 255);
    EXPECT_EQ(line.text, QString::fromLatin1(c.expected));
    ASSERT_EQ(line.words.size(), size_t(line.text.count(QLatin1Char(' ')) + 1));
    EXPECT_EQ(line.words.back().box->left(), inks[line.words.size() - 1].left());
  }
}

}  // namespace
