#include "recognition/words/LineWords.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/support/Printers.h"

namespace {

const PixelRect kLine{5, 6, 100, 12};

// Boxes by word range; ranges not listed have none.
ocr::RangeBox scripted(std::map<std::pair<qsizetype, qsizetype>, PixelRect> boxes, int* calls = nullptr) {
  return [boxes, calls](qsizetype from, qsizetype to) -> std::optional<PixelRect> {
    if (calls) ++*calls;
    const auto it = boxes.find({from, to});
    if (it == boxes.end()) return std::nullopt;
    return it->second;
  };
}

TEST(LineWords, EachWordWithItsOwnBox) {
  const auto pieces = ocr::lineWords(" ab\tcd ", kLine, scripted({{{1, 3}, {1, 2, 3, 4}}, {{4, 6}, {10, 2, 3, 4}}}));
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].text, "ab");
  EXPECT_EQ(pieces[0].rect.x, 1);
  EXPECT_EQ(pieces[1].text, "cd");
  EXPECT_EQ(pieces[1].rect.x, 10);
}

TEST(LineWords, OneWordWithoutABoxMakesTheLineOnePiece) {
  int calls = 0;
  const auto pieces = ocr::lineWords("ab cd", kLine, scripted({{{0, 2}, {1, 2, 3, 4}}}, &calls));
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].text, "ab cd");
  EXPECT_EQ(pieces[0].rect.x, kLine.x);
  EXPECT_EQ(pieces[0].rect.width, kLine.width);
  EXPECT_EQ(calls, 2);  // every word is asked once
  // The line's text as it stands, spaces around it included.
  EXPECT_EQ(ocr::lineWords(" ab cd ", kLine, {})[0].text, " ab cd ");
}

TEST(LineWords, BlankTextHasNoWords) {
  EXPECT_TRUE(ocr::lineWords("", kLine, scripted({})).empty());
  EXPECT_TRUE(ocr::lineWords("  ", kLine, scripted({})).empty());
  // No-break and ideographic spaces are whitespace too.
  EXPECT_TRUE(ocr::lineWords(QString::fromUtf8("\u00a0\u3000"), kLine, scripted({})).empty());
}

TEST(EngineRanges, WordsFoundInOrderGiveTheirBoxes) {
  const QString text = QStringLiteral("Open the file");
  const ocr::EngineRanges r(text, {{"Open", QRect(0, 0, 40, 10)}, {"the", QRect(50, 1, 30, 9)}, {"file", QRect(90, 0, 35, 10)}});
  EXPECT_EQ(r.box(0, 4), QRect(0, 0, 40, 10));
  EXPECT_EQ(r.box(5, 8), QRect(50, 1, 30, 9));
  // A range over two words is their union; spaces need no box.
  EXPECT_EQ(r.box(0, 8), QRect(0, 0, 80, 10));
  EXPECT_EQ(r.box(4, 5), std::nullopt);  // only a space: nothing to box
  EXPECT_EQ(r.box(-1, 3), std::nullopt);
  EXPECT_EQ(r.box(3, 99), std::nullopt);
}

TEST(EngineRanges, ScriptsWithoutSpacesUniteTheEnginesPieces) {
  // The engine splits an unspaced run into several words of its own.
  const QString text = QString::fromUtf8("设置已保存");
  const ocr::EngineRanges r(text, {{QString::fromUtf8("设置"), QRect(0, 0, 20, 12)},
                                   {QString::fromUtf8("已保存"), QRect(21, 0, 30, 12)}});
  EXPECT_EQ(r.box(0, 5), QRect(0, 0, 51, 12));
  const auto pieces = ocr::lineWords(text, kLine, [&](qsizetype a, qsizetype b) -> std::optional<PixelRect> {
    const auto box = r.box(a, b);
    if (!box) return std::nullopt;
    return PixelRect{double(box->x()), 0, double(box->width()), 1};
  });
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].rect.width, 51);
}

TEST(EngineRanges, CharactersNoWordAccountsForHaveNoBox) {
  const QString text = QStringLiteral("abc def");
  // "def" has no box; a word the line does not contain is ignored.
  const ocr::EngineRanges r(text, {{"abc", QRect(0, 0, 30, 10)}, {"xyz", QRect(40, 0, 30, 10)}, {"def", std::nullopt}});
  EXPECT_EQ(r.box(0, 3), QRect(0, 0, 30, 10));
  EXPECT_EQ(r.box(4, 7), std::nullopt);
  EXPECT_EQ(r.box(0, 7), std::nullopt);
  // A word found inside a longer run: the characters around it have no box.
  const ocr::EngineRanges partial(QStringLiteral("abcdef"), {{"cd", QRect(0, 0, 5, 5)}});
  EXPECT_EQ(partial.box(0, 6), std::nullopt);
  EXPECT_EQ(partial.box(2, 4), QRect(0, 0, 5, 5));
}

}  // namespace
