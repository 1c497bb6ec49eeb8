// Codes folded into a text result, and the order codes come back in.
#include <gtest/gtest.h>

#include "recognition/CodeSearch.h"
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
