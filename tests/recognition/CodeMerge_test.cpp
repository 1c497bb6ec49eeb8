// Codes folded into a text result, and the order codes come back in.
#include <gtest/gtest.h>

#include "recognition/codes/CodeSearch.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"

namespace {

Recognized textRows(std::initializer_list<std::initializer_list<const char*>> rows) {
  Recognized r;
  double y = 500;
  for (const auto& row : rows) {
    std::vector<Piece> pieces;
    double x = 10;
    for (const char* t : row) {
      pieces.push_back({{x, y, 50, 20}, QString::fromUtf8(t)});
      x += 60;
    }
    r.lines.push_back(pieces);
    y -= 30;
  }
  return r;
}

QStringList rowTexts(const Recognized& r) { return textimages::rowTexts(r, QLatin1Char('|')); }

TEST(Merge, CodeRowsComeFirstAndRowsEqualToAPayloadGo) {
  Recognized text = textRows({{"Scan", "to", "pay"},
                              {"  https://pay.example/42\t"},
                              {"HTTPS://PAY.EXAMPLE/42"},
                              {"4006381333931"},
                              {"total", "12"}});
  text.table = Table{{{"a", "b"}, {"c", "d"}}};
  const std::vector<Code> codes{{{100, 300, 80, 80}, "https://pay.example/42", true},
                                {{100, 100, 190, 60}, "4006381333931", false}};
  const Recognized merged = Recognizer::merge(text, codes);
  EXPECT_EQ(rowTexts(merged), (QStringList{"https://pay.example/42", "4006381333931", "Scan|to|pay",
                                           "HTTPS://PAY.EXAMPLE/42", "total|12"}));
  // One piece per code row, with the code's box; table and codes kept.
  EXPECT_EQ(merged.lines[1][0].rect.height, 60);
  ASSERT_TRUE(merged.table.has_value());
  ASSERT_EQ(merged.codes.size(), 2u);
}

TEST(Merge, TextReadOffACodesModulesIsDropped) {
  Recognized text;
  text.lines = {{Piece{{110, 350, 40, 12}, "OR [m]"}, Piece{{300, 350, 90, 12}, "Scan to pay"}},
                {Piece{{120, 320, 30, 12}, "on ok"}},
                {Piece{{}, "no geometry"}}};
  const Recognized merged = Recognizer::merge(text, {{{100, 300, 80, 80}, "https://pay.example/42", true}});
  EXPECT_EQ(rowTexts(merged), (QStringList{"https://pay.example/42", "Scan to pay", "no geometry"}));
}

// Two codes side by side, and the words of a text row `y` high up.
const std::vector<Code> kPair{{{100, 300, 80, 80}, "left", true}, {{400, 300, 80, 80}, "right", true}};
Piece word(double x, double y, double width, const char* text) { return Piece{{x, y, width, 12}, text}; }

TEST(Merge, ALineReadAcrossTwoCodesLosesTheWordsOnThem) {
  // The engine read one line across both codes, its centre between them, and
  // a caption between them whose last word lies on the right code.
  Recognized text;
  text.lines = {{Piece{{110, 340, 350, 12}, "yey i ="}}, {Piece{{200, 370, 250, 12}, "Scan both codes OR"}}};
  text.words = {{word(110, 340, 30, "yey"), word(420, 340, 8, "i"), word(450, 340, 10, "=")},
                {word(200, 370, 40, "Scan"), word(248, 370, 40, "both"), word(296, 370, 50, "codes"),
                 word(420, 370, 30, "OR")}};
  const Recognized merged = Recognizer::merge(text, kPair);
  EXPECT_EQ(rowTexts(merged), (QStringList{"left", "right", "Scan both codes"}));
  EXPECT_EQ(merged.lines[2][0].rect.maxX(), 346) << "the kept words' box";
}

TEST(Merge, TheTableIsFoundAgainWithoutTheWordsReadOffACode) {
  // Two codes above the columns of a table: what the engine read off them
  // became a first row of the table.
  const std::vector<Code> above{{{600, 520, 70, 80}, "left", true}, {{700, 520, 70, 80}, "right", true}};
  Recognized text;
  text.words = {{word(610, 540, 30, "yey"), word(710, 540, 30, "=")},
                {word(600, 500, 60, "a"), word(700, 500, 60, "b")},
                {word(600, 470, 60, "c"), word(700, 470, 60, "d")},
                {word(600, 440, 60, "e"), word(700, 440, 60, "f")}};
  for (const auto& row : text.words) text.lines.push_back(row);
  text.table = Recognizer::detectTable(text.words);
  ASSERT_TRUE(text.table);
  ASSERT_EQ(text.table->rows.front(), (QStringList{"yey", "="}));
  const Recognized merged = Recognizer::merge(text, above);
  ASSERT_TRUE(merged.table);
  EXPECT_EQ(merged.table->rows, (std::vector<QStringList>{{"a", "b"}, {"c", "d"}, {"e", "f"}}));

  // A table of junk alone goes with it.
  Recognized junk;
  junk.words = {{word(110, 340, 30, "yey"), word(420, 340, 8, "i")}, {word(110, 320, 30, "m"), word(420, 320, 10, "=")}};
  junk.lines = junk.words;
  junk.table = Table{{{"yey", "i"}, {"m", "="}}};
  EXPECT_FALSE(Recognizer::merge(junk, kPair).table);
  // Without the words (a reader that gives none) the table stays as it came.
  junk.words.clear();
  EXPECT_TRUE(Recognizer::merge(junk, kPair).table);
}

TEST(Merge, OnlySpacesAndTabsAreTrimmedFromTextRowsAndNoCodesChangeNothing) {
  Recognized text = textRows({{"code\n"}, {"\u00a0code\u3000"}, {"co", "de"}});
  EXPECT_EQ(rowTexts(Recognizer::merge(text, {{{}, "code", true}})), (QStringList{"code", "code\n", "co|de"}));
  text.codes = {{{1, 2, 3, 4}, "kept", false}};
  const Recognized merged = Recognizer::merge(text, {});
  EXPECT_EQ(rowTexts(merged), rowTexts(text));
  ASSERT_EQ(merged.codes.size(), 1u);
  EXPECT_EQ(merged.codes[0].payload, "kept");
}

TEST(CodeOrder, FirstOfEachPayloadThenTopFirstStably) {
  const std::vector<Code> found{{{0, 10, 10, 10}, "low", false},    // maxY 20
                                {{0, 100, 10, 10}, "high", true},   // maxY 110
                                {{50, 500, 10, 10}, "low", true},   // a later copy, higher up
                                {{0, 40, 10, 10}, "tie-a", false},  // maxY 50
                                {{0, 45, 10, 5}, "tie-b", false}};  // maxY 50
  const std::vector<Code> ordered = Recognizer::dedupeAndOrder(found);
  QStringList payloads;
  for (const Code& c : ordered) payloads << c.payload;
  EXPECT_EQ(payloads, (QStringList{"high", "tie-a", "tie-b", "low"}));
  EXPECT_FALSE(ordered[3].isQR) << "the first one detected wins";
}

}  // namespace
