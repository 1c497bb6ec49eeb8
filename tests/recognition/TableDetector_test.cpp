#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "recognition/Recognizer.h"
#include "tests/support/Printers.h"

namespace {

using Rows = std::vector<std::vector<Piece>>;
using Cells = std::vector<QStringList>;

struct Word {
  double x;
  double width;
  const char* text;
};

// One row of words whose boxes run from `top` down by `height`.
std::vector<Piece> row(double top, std::initializer_list<Word> words, double height = 20) {
  std::vector<Piece> out;
  for (const Word& w : words) out.push_back({{w.x, top - height, w.width, height}, QString::fromUtf8(w.text)});
  return out;
}

// Rows 30 px apart (10 px of space between 20 px high words), top first.
double top(int index) { return 1000 - 30.0 * index; }

// A two-column list: left words in [0, 60], right words from `right` on.
Rows twoColumns(int count, double right) {
  Rows rows;
  for (int i = 0; i < count; ++i) {
    rows.push_back(row(top(i), {{0, 60, "key"}, {right, 60, "value"}}));
  }
  return rows;
}

Cells cells(const std::optional<Table>& table) { return table ? table->rows : Cells{}; }

TEST(DetectTable, NeedsTwoRowsOfWords) {
  EXPECT_FALSE(Recognizer::detectTable({}));
  EXPECT_FALSE(Recognizer::detectTable({row(top(0), {{0, 60, "a"}, {90, 60, "b"}})}));
  // An empty row is nothing group() makes: refused rather than guessed at.
  Rows rows = twoColumns(4, 90);
  rows.insert(rows.begin() + 1, std::vector<Piece>{});
  EXPECT_FALSE(Recognizer::detectTable(rows));
}

TEST(DetectTable, TwoColumnListWithAWideStrip) {
  // A 30 px strip between the columns with 20 px words: one gap, two spans.
  const auto table = Recognizer::detectTable(twoColumns(6, 90));
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows, Cells(6, QStringList{"key", "value"}));
}

TEST(DetectTable, StripMustBeHalfAWordHighWide) {
  // Columns 61 to 68 free: 8 < 10, no gap.
  EXPECT_FALSE(Recognizer::detectTable(twoColumns(6, 69)));

  // Staggered columns keep every row's word space wide while the strip free
  // of all rows is only from column 61 to the right words of the lower rows.
  const auto staggered = [](double right) {
    Rows rows;
    for (int i = 0; i < 3; ++i) rows.push_back(row(top(i), {{0, 60, "key"}, {90, 60, "value"}}));
    for (int i = 3; i < 6; ++i) rows.push_back(row(top(i), {{0, 50, "key"}, {right, 60, "value"}}));
    return rows;
  };
  // Columns 61 to 70 free, ended by column 71: 10 >= 0.5 * 20 is a gap.
  EXPECT_EQ(cells(Recognizer::detectTable(staggered(71))), Cells(6, QStringList{"key", "value"}));
  // Columns 61 to 69: 9 is not.
  EXPECT_FALSE(Recognizer::detectTable(staggered(70)));
  // The same 10 px strip with every row's word space at 11 px (< 0.6 * 20):
  // each row spans the gap, so no row has two cells.
  EXPECT_FALSE(Recognizer::detectTable(twoColumns(6, 71)));
}

TEST(DetectTable, ProseHasNoGap) {
  Rows rows;
  const std::vector<std::vector<double>> starts = {{0, 48, 100, 140, 205}, {0, 70, 118, 180}, {0, 35, 96, 150, 200}};
  for (size_t i = 0; i < starts.size(); ++i) {
    std::vector<Piece> r;
    const auto& s = starts[i];
    for (size_t k = 0; k < s.size(); ++k) {
      const double end = k + 1 < s.size() ? s[k + 1] - 8 : 250;
      r.push_back({{s[k], top(int(i)) - 20, end - s[k], 20}, QStringLiteral("word")});
    }
    rows.push_back(r);
  }
  EXPECT_FALSE(Recognizer::detectTable(rows));
}

TEST(DetectTable, FreeRunsAtTheEdgesAreNotGaps) {
  // Five rows, so columns covered by one row are free: the run from column 0
  // (under a lone word at the left) and the run still open at the right edge
  // (under a lone word at the right) are both wide, yet neither is a gap.
  Rows rows;
  for (int i = 0; i < 5; ++i) rows.push_back(row(top(i), {{50, 60, "mid"}}));
  rows[0].insert(rows[0].begin(), row(top(0), {{0, 20, "left"}})[0]);
  rows[4].push_back(row(top(4), {{150, 50, "right"}})[0]);
  EXPECT_FALSE(Recognizer::detectTable(rows));

  // Three rows reaching the right: the run before them is ended, a gap.
  rows[1].push_back(row(top(1), {{150, 50, "right"}})[0]);
  rows[2].push_back(row(top(2), {{150, 50, "right"}})[0]);
  EXPECT_EQ(cells(Recognizer::detectTable(rows)),
            (Cells{{"left mid", ""}, {"mid", "right"}, {"mid", "right"}, {"mid", ""}, {"mid", "right"}}));
}

TEST(DetectTable, HeadingAcrossBothColumnsSpans) {
  // One word straddling the gap: the whole row goes to cell 0.
  Rows rows = twoColumns(6, 90);
  rows.insert(rows.begin(), row(top(-1), {{10, 130, "Quarterly"}, {145, 5, "!"}}));
  EXPECT_EQ(cells(Recognizer::detectTable(rows))[0], (QStringList{"Quarterly !", ""}));

  // Two words, neither straddling, but the gap lies inside the row with word
  // spaces narrower than 0.6 * h: a spanning row as well.
  rows[0] = row(top(-1), {{0, 70, "Quarterly"}, {78, 72, "results"}});
  const Cells withHeading = cells(Recognizer::detectTable(rows));
  ASSERT_EQ(withHeading.size(), 7u);
  EXPECT_EQ(withHeading[0], (QStringList{"Quarterly results", ""}));
  EXPECT_EQ(withHeading[1], (QStringList{"key", "value"}));

  // The same row with a space of 12 (not below 0.6 * 20) is two cells.
  rows[0] = row(top(-1), {{0, 70, "Quarterly"}, {82, 68, "results"}});
  EXPECT_EQ(cells(Recognizer::detectTable(rows))[0], (QStringList{"Quarterly", "results"}));
}

TEST(DetectTable, WordInsideTheGapGoesToTheNearerSpan) {
  // Six rows, so a column covered by one row is still free: the gap stays
  // [61, 90] and a lone word in it is placed by the distance of its centre.
  Rows rows = twoColumns(6, 90);
  rows[2] = row(top(2), {{0, 30, "l"}, {63, 6, "near-left"}, {90, 60, "r"}});
  rows[3] = row(top(3), {{0, 30, "l"}, {81, 7, "near-right"}, {120, 30, "r"}});
  rows[4] = row(top(4), {{0, 30, "l"}, {72, 7, "middle"}, {120, 30, "r"}});
  const Cells out = cells(Recognizer::detectTable(rows));
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(out[2], (QStringList{"l near-left", "r"}));
  EXPECT_EQ(out[3], (QStringList{"l", "near-right r"}));
  // Centre 75.5 is 14.5 from both ends: the left span wins the tie.
  EXPECT_EQ(out[4], (QStringList{"l middle", "r"}));
}

TEST(DetectTable, ContinuationLinesFoldIntoTheRowAbove) {
  // Three columns; the middle cell of the second row wraps onto a line only
  // 2 px below it (cont = max(0.75 * 10, 0.45 * 20) = 9).
  Rows rows = {
      row(top(0), {{0, 60, "a1"}, {90, 60, "b1"}, {180, 60, "c1"}}),
      row(top(1), {{0, 60, "a2"}, {90, 60, "b2"}, {180, 60, "c2"}}),
      row(top(1) - 22, {{90, 60, "b2more"}}),
      row(top(2) - 22, {{0, 60, "a3"}, {90, 60, "b3"}, {180, 60, "c3"}}),
      row(top(3) - 22, {{0, 60, "a4"}, {90, 60, "b4"}, {180, 60, "c4"}}),
  };
  EXPECT_EQ(cells(Recognizer::detectTable(rows)), (Cells{{"a1", "b1", "c1"},
                                                         {"a2", "b2 b2more", "c2"},
                                                         {"a3", "b3", "c3"},
                                                         {"a4", "b4", "c4"}}));

  // As far below as the other rows (10 >= 9): a row of its own.
  rows[2] = row(top(2), {{90, 60, "b2more"}});
  rows[3] = row(top(3), {{0, 60, "a3"}, {90, 60, "b3"}, {180, 60, "c3"}});
  rows[4] = row(top(4), {{0, 60, "a4"}, {90, 60, "b4"}, {180, 60, "c4"}});
  EXPECT_EQ(cells(Recognizer::detectTable(rows))[2], (QStringList{"", "b2more", ""}));

  // Two filled cells of three are more than half: never folded.
  rows[2] = row(top(1) - 22, {{90, 60, "b2more"}, {180, 60, "c2more"}});
  EXPECT_EQ(cells(Recognizer::detectTable(rows))[2], (QStringList{"", "b2more", "c2more"}));
}

TEST(DetectTable, FilledFirstCellAlwaysStartsARow) {
  Rows rows = {
      row(top(0), {{0, 60, "a1"}, {90, 60, "b1"}}),
      row(top(0) - 20, {{0, 60, "a2"}}),  // touching the row above
      row(top(1) - 20, {{0, 60, "a3"}, {90, 60, "b3"}}),
  };
  EXPECT_EQ(cells(Recognizer::detectTable(rows)), (Cells{{"a1", "b1"}, {"a2", ""}, {"a3", "b3"}}));
}

TEST(DetectTable, MedianCellLengthAtMost26) {
  const QString len26(26, QLatin1Char('x'));
  const QString len27(27, QLatin1Char('x'));
  const auto layout = [](const QString& text) {
    Rows rows;
    for (int i = 0; i < 4; ++i) {
      rows.push_back({{{0, top(i) - 20, 60, 20}, text}, {{90, top(i) - 20, 60, 20}, text}});
    }
    return rows;
  };
  EXPECT_TRUE(Recognizer::detectTable(layout(len26)));
  EXPECT_FALSE(Recognizer::detectTable(layout(len27)));
  // Characters are grapheme clusters: 26 accented letters of two code points each.
  EXPECT_TRUE(Recognizer::detectTable(layout(QStringLiteral("e\u0301").repeated(26))));
}

TEST(DetectTable, EnoughRowsMustHaveTwoCells) {
  // 4 rows, 2 of them with two cells: 2 >= 2 and 2 >= 0.5 * 4.
  Rows four = {
      row(top(0), {{0, 60, "a"}, {90, 60, "b"}}),
      row(top(1), {{0, 60, "c"}}),
      row(top(2), {{0, 60, "d"}, {90, 60, "e"}}),
      row(top(3), {{0, 60, "f"}}),
  };
  EXPECT_EQ(cells(Recognizer::detectTable(four)), (Cells{{"a", "b"}, {"c", ""}, {"d", "e"}, {"f", ""}}));
  // 5 rows with 2 such rows: 2 < 2.5.
  Rows five = four;
  five.push_back(row(top(4), {{0, 60, "g"}}));
  EXPECT_FALSE(Recognizer::detectTable(five));
  // One two-cell row alone is never a table.
  EXPECT_FALSE(Recognizer::detectTable({row(top(0), {{0, 60, "a"}, {90, 60, "b"}}), row(top(1), {{0, 60, "c"}})}));
}

TEST(DetectTable, RealisticGridOfWords) {
  // Five rows by three columns of multi-word cells, word spaces of 8 px, one
  // middle cell wrapping onto a second, tighter line, a ragged last row.
  const Rows rows = {
      row(top(0), {{0, 52, "Name"}, {200, 40, "Role"}, {380, 40, "City"}}),
      row(top(1), {{0, 40, "Ada"}, {48, 90, "Lovelace"}, {200, 130, "Mathematician"}, {380, 70, "London"}}),
      row(top(2), {{0, 40, "Alan"}, {48, 70, "Turing"}, {200, 80, "Logician"}, {380, 100, "Manchester"}}),
      row(top(3), {{0, 50, "Grace"}, {58, 70, "Hopper"}, {200, 60, "Rear"}, {268, 80, "admiral"},
                   {380, 80, "Arlington"}}),
      row(top(3) - 22, {{200, 70, "(retired)"}}),
      row(top(4) - 22, {{0, 60, "Edsger"}, {68, 90, "Dijkstra"}, {200, 100, "Professor"}}),
  };
  const auto table = Recognizer::detectTable(rows);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->rows, (Cells{{"Name", "Role", "City"},
                                {"Ada Lovelace", "Mathematician", "London"},
                                {"Alan Turing", "Logician", "Manchester"},
                                {"Grace Hopper", "Rear admiral (retired)", "Arlington"},
                                {"Edsger Dijkstra", "Professor", ""}}));
  EXPECT_EQ(table->columnCount(), 3);
}

TEST(DetectTable, RefusesBrokenGeometryInsteadOfAllocating) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double bad : {inf, -inf, nan}) {
    Rows rows = twoColumns(4, 90);
    rows[1][1].rect.x = bad;
    EXPECT_FALSE(Recognizer::detectTable(rows)) << bad;
    rows = twoColumns(4, 90);
    rows[2][0].rect.height = bad;
    EXPECT_FALSE(Recognizer::detectTable(rows)) << bad;
  }
  // Finite but far apart: no screen is a million pixels wide.
  EXPECT_FALSE(Recognizer::detectTable(twoColumns(4, 1e6)));
  EXPECT_TRUE(Recognizer::detectTable(twoColumns(4, 15000)));
  // Every word on one vertical line: W < 1.
  Rows line;
  for (int i = 0; i < 4; ++i) line.push_back({{{5, top(i) - 20, 0, 20}, "|"}, {{5, top(i) - 20, 0, 20}, "|"}});
  EXPECT_FALSE(Recognizer::detectTable(line));
}

}  // namespace

namespace {

// A row of right-to-left words as group() gives it: in reading order, the
// rightmost word first.
std::vector<Piece> rtlRow(double top, std::initializer_list<Word> words) {
  std::vector<Piece> out = row(top, words);
  std::stable_sort(out.begin(), out.end(), [](const Piece& a, const Piece& b) { return a.rect.maxX() > b.rect.maxX(); });
  return out;
}

TEST(DetectTable, RightToLeftRowsAreMeasuredWhereTheirWordsStand) {
  // The 4 × 2 grid of the Latin list, in Arabic: the same gaps, the cells in
  // reading order with the rightmost column first.
  Rows rows;
  for (int i = 0; i < 4; ++i) rows.push_back(rtlRow(top(i), {{0, 60, "قيمة"}, {90, 60, "مفتاح"}}));
  EXPECT_EQ(cells(Recognizer::detectTable(rows)), Cells(4, QStringList{"مفتاح", "قيمة"}));

  // Words of one cell keep the row's reading order; a heading across both
  // columns lands in the first column read, the rightmost.
  rows.insert(rows.begin(), rtlRow(top(-1), {{10, 60, "الربع"}, {78, 72, "نتائج"}}));
  rows[2] = rtlRow(top(1), {{0, 30, "ثانية"}, {38, 22, "قيمة"}, {90, 60, "مفتاح"}});
  const Cells out = cells(Recognizer::detectTable(rows));
  ASSERT_EQ(out.size(), 5u);
  EXPECT_EQ(out[0], (QStringList{"نتائج الربع", ""}));
  EXPECT_EQ(out[2], (QStringList{"مفتاح", "قيمة ثانية"}));
}

TEST(DetectTable, RightToLeftContinuationFoldsIntoTheRowAboveByItsFirstColumnRead) {
  // The middle cell wraps: the continuation's first column read (the
  // rightmost) is empty, so it folds into the row above.
  Rows rows = {
      rtlRow(top(0), {{0, 60, "ג1"}, {90, 60, "ב1"}, {180, 60, "א1"}}),
      rtlRow(top(1), {{0, 60, "ג2"}, {90, 60, "ב2"}, {180, 60, "א2"}}),
      rtlRow(top(1) - 22, {{90, 60, "עוד"}}),
      rtlRow(top(2) - 22, {{0, 60, "ג3"}, {90, 60, "ב3"}, {180, 60, "א3"}}),
      rtlRow(top(3) - 22, {{0, 60, "ג4"}, {90, 60, "ב4"}, {180, 60, "א4"}}),
  };
  const Cells out = cells(Recognizer::detectTable(rows));
  ASSERT_EQ(out.size(), 4u);
  EXPECT_EQ(out[1], (QStringList{"א2", "ב2 עוד", "ג2"}));
}

// A row of words `widths` wide, 14 apart, except `strip` after the word
// numbered `before`; the words start at x 0.
std::vector<Piece> spaced(int index, const std::vector<double>& widths, size_t before, double strip) {
  std::vector<Piece> out;
  double x = 0;
  for (size_t k = 0; k < widths.size(); ++k) {
    out.push_back({{x, top(index) - 20, widths[k], 20}, QStringLiteral("word")});
    x += widths[k] + (k + 1 == before ? strip : 14);
  }
  return out;
}

TEST(DetectTable, AStripNoWiderThanTheRowsWordSpacesIsNoColumnGap) {
  // Word spaces of 14 (at least 0.6 h, so no row spans); after the second
  // word of every row (all ending at x 94) a space `strip` wide, the others
  // wandering: a paragraph in a monospace face, whose aligned spaces leave a
  // free strip from x 95 on.
  const auto paragraph = [](double strip) {
    return Rows{spaced(0, {40, 40, 40, 40, 40}, 2, strip), spaced(1, {30, 50, 36, 44, 40}, 2, strip),
                spaced(2, {50, 30, 40, 30, 50}, 2, strip), spaced(3, {40, 40, 30, 50, 40}, 2, strip)};
  };
  // A space of 14 leaves a strip 13 wide: at least half a word high, but no
  // wider than the rows' word spaces.
  EXPECT_FALSE(Recognizer::detectTable(paragraph(14)));
  // 21 is not clearly wider (1.5 times 14); 22 is.
  EXPECT_FALSE(Recognizer::detectTable(paragraph(22)));
  EXPECT_EQ(cells(Recognizer::detectTable(paragraph(23))), Cells(4, QStringList{"word word", "word word word"}));
}

TEST(DetectTable, RowsWhoseSpacesAreAllColumnGapsKeepTheirNarrowGaps) {
  // A terminal listing: one-word cells 12 apart (a strip 11 wide) in every
  // row. No space of these rows is an ordinary word space: the strips stay.
  Rows listing;
  for (int i = 0; i < 4; ++i) listing.push_back(spaced(i, {40, 40, 40, 40}, 0, 0));
  for (auto& r : listing)
    for (size_t k = 0; k < r.size(); ++k) r[k].rect.x = 52.0 * double(k);
  EXPECT_EQ(cells(Recognizer::detectTable(listing)), Cells(4, QStringList(4, "word")));
  // One row with a two-word cell at its end (a file name with a space) is
  // not most of the rows: the listing stays a table.
  listing[2].push_back({{204, top(2) - 20, 40, 20}, QStringLiteral("more")});
  EXPECT_EQ(cells(Recognizer::detectTable(listing))[2], (QStringList{"word", "word", "word", "word more"}));
}

TEST(DetectTable, AFirstOrLastColumnEmptyInMostRowsIsAFormNotATable) {
  // Labels, fields (one empty), a file field's button and the dialog's
  // buttons in a third column that only two rows fill.
  Rows form = {
      row(top(0), {{0, 60, "Name:"}, {90, 60, "Ada"}}),
      row(top(1), {{0, 60, "Email:"}, {90, 60, "ada@x"}}),
      row(top(2), {{0, 60, "Phone:"}}),
      row(top(3), {{0, 60, "Photo:"}, {180, 60, "Browse"}}),
      row(top(4), {{90, 60, "Remember"}}),
      row(top(5), {{180, 25, "OK"}, {210, 30, "Cancel"}}),
  };
  EXPECT_FALSE(Recognizer::detectTable(form));
  // Half the rows with an empty last column is not most (labels without
  // colons: with them it is a form whatever its columns).
  form[4] = row(top(4), {{90, 60, "Remember"}, {180, 60, "me"}});
  for (int i = 0; i < 4; ++i) form[size_t(i)].front().text.chop(1);
  EXPECT_EQ(cells(Recognizer::detectTable(form)).size(), 6u);

  // A label column that most rows leave empty.
  const Rows labels = {
      row(top(0), {{0, 60, "Style:"}, {90, 60, "Bold"}, {180, 60, "on"}}),
      row(top(1), {{90, 60, "Italic"}, {180, 60, "off"}}),
      row(top(2), {{90, 60, "Shadow"}, {180, 60, "off"}}),
      row(top(3), {{90, 60, "Outline"}, {180, 60, "on"}}),
  };
  EXPECT_FALSE(Recognizer::detectTable(labels));

  // Every field filled: the labels' colons still make it a form. Without
  // them the same rows are a table.
  Rows filled;
  const char* fields[][2] = {{"Name:", "Ada"}, {"Email:", "ada@x"}, {"Phone:", "555"}, {"City:", "London"}, {"Age:", "36"}};
  for (int i = 0; i < 5; ++i) filled.push_back(row(top(i), {{0, 60, fields[i][0]}, {90, 60, fields[i][1]}}));
  EXPECT_FALSE(Recognizer::detectTable(filled));
  for (auto& r : filled) r.front().text.chop(1);
  EXPECT_EQ(cells(Recognizer::detectTable(filled)).size(), 5u);
}

}  // namespace
