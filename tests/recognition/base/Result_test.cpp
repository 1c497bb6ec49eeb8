#include "recognition/base/Result.h"

#include <gtest/gtest.h>

#include "tests/support/Printers.h"

namespace {

Recognized rows(std::initializer_list<std::initializer_list<const char*>> texts) {
  Recognized r;
  for (const auto& row : texts) {
    std::vector<Piece> pieces;
    for (const char* t : row) pieces.push_back({{}, QString::fromUtf8(t)});
    r.lines.push_back(pieces);
  }
  return r;
}

TEST(Recognized, PlainTextTrimsOnlyTheWholeText) {
  EXPECT_TRUE(Recognized{}.isEmpty());
  EXPECT_EQ(rows({{"Hello", "world"}}).text(), "Hello world");
  // Spaces that start the first row are its indentation (code) and stay.
  EXPECT_EQ(rows({{"  foo "}, {" bar"}}).text(), "  foo \n bar");
  EXPECT_EQ(rows({{"\u2028a"}, {"b\u00a0\u0085"}}).text(), "a\nb");
  // Tabs count as whitespace, a lone newline-free ideographic space too.
  EXPECT_EQ(rows({{"\t\u3000x\u3000"}}).text(), "x");
}

TEST(Recognized, JoinedTextGluesHyphenatedWordsOnly) {
  EXPECT_EQ(rows({{"  foo "}, {" bar"}}).joinedText(), "foo bar");
  EXPECT_EQ(rows({{"inter-"}, {"national"}}).joinedText(), "international");
  EXPECT_EQ(rows({{"e\u0301-"}, {"x"}}).joinedText(), "e\u0301- x");  // e + combining accent
  EXPECT_EQ(rows({{"3-"}, {"4"}}).joinedText(), "3- 4");
  EXPECT_EQ(rows({{"a"}, {""}, {"  "}, {"b"}}).joinedText(), "a b");
  EXPECT_EQ(rows({{"a–"}, {"b"}}).joinedText(), "a– b");  // only the hyphen-minus
  // Rows keep their newlines; only the end of the text built so far is looked at.
  EXPECT_EQ(rows({{"x", "y-"}, {"z"}}).joinedText(), "x yz");
}

TEST(Table, TabSeparatedAndHtmlForms) {
  Table t{{{"a", "b"}, {"", "c"}}};
  EXPECT_EQ(t.tsv(), "a\tb\n\tc");
  EXPECT_EQ(t.html(), "<meta charset=\"utf-8\"><table><tr><td>a</td><td>b</td></tr>"
                      "<tr><td></td><td>c</td></tr></table>");
  EXPECT_EQ(t.columnCount(), 2);

  Table escaped{{{"a\tb", "x<y & z>", "\"q\"\nline"}}};
  EXPECT_EQ(escaped.tsv(), "a b\tx<y & z>\t\"q\"\nline");
  EXPECT_EQ(escaped.html(), "<meta charset=\"utf-8\"><table><tr><td>a\tb</td><td>x&lt;y &amp; z&gt;</td>"
                            "<td>\"q\"\nline</td></tr></table>");

  EXPECT_EQ(Table{}.html(), "<meta charset=\"utf-8\"><table></table>");
  EXPECT_EQ((Table{{{"1"}, {"1", "2", "3"}}}).columnCount(), 3);
}

TEST(TextCounts, GraphemesNotCodeUnits) {
  EXPECT_EQ(text::graphemeCount("e\u0301"), 1);
  EXPECT_EQ(text::graphemeCount("👍🏽x"), 2);            // emoji with skin tone: one character
  EXPECT_EQ(text::graphemeCount("한국어"), 3);
  EXPECT_EQ(text::visibleCount(" a b\n\tc\u00a0"), 3);
}

TEST(TextDirection, BidiMarksGoAndRightToLeftIsWhatMostStrongLettersAre) {
  // Every mark of the list, and nothing else.
  QString marked = QStringLiteral("a");
  for (char16_t c : {0x200E, 0x200F, 0x202A, 0x202B, 0x202C, 0x202D, 0x202E, 0x2066, 0x2067, 0x2068, 0x2069})
    marked += QChar(c) + QStringLiteral("b");
  EXPECT_EQ(text::withoutBidiControls(marked), "abbbbbbbbbbb");
  EXPECT_EQ(text::withoutBidiControls("‍؜"), "‍؜");  // joiner and the Arabic letter mark stay
  EXPECT_TRUE(text::isRightToLeft("برنامج Excel الجديد"));
  EXPECT_TRUE(text::isRightToLeft("שלום 12"));
  EXPECT_FALSE(text::isRightToLeft("Microsoft Word مع"));
  EXPECT_FALSE(text::isRightToLeft("2024 ..."));
}

TEST(PixelRect, TopLeftBoxesFlipIntoBottomLeftPixels) {
  const PixelRect r = PixelRect::fromTopLeft(10, 20, 30, 40, 100);
  EXPECT_EQ(r.y, 40);  // 100 - 20 - 40
  EXPECT_EQ(r.maxY(), 80);
}

}  // namespace
