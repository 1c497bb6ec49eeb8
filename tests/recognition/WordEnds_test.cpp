// A word box the engine ran on over the words after it ends at its own ink.
#include <gtest/gtest.h>

#include <QPainter>

#include "recognition/BitmapText.h"
#include "recognition/WordEnds.h"

namespace {

TEST(WordEnds, ABoxRunningOverTheNextWordsEndsAtItsInk) {
  // Four words as blocks of ink a space apart, enlarged and softened as
  // bitmap text is read: the rims must not hold a box's end.
  constexpr int kFactor = 4;
  const std::vector<QRect> words{{2, 3, 40, 8}, {48, 3, 6, 8}, {60, 3, 24, 8}, {90, 3, 24, 8}};
  QImage small(120, 14, QImage::Format_Grayscale8);
  small.fill(255);
  QPainter painter(&small);
  for (const QRect& w : words) painter.fillRect(w, Qt::black);
  painter.end();
  const QImage image = ocr::enlargedBitmap(small, kFactor);
  const struct {
    const char* name;
    int broken;     // the word whose box runs to the line's end, or -1
    bool reversed;  // the words in a right-to-left reading order
    int inside = 0;  // source pixels the second word's box starts inside its ink
  } cases[] = {{"first word", 0, false},
               {"middle word", 2, false},
               {"boxes right", -1, false},
               {"right to left", 0, true},
               {"next box inside its letter", 0, false, 1}};
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

}  // namespace
