#include <gtest/gtest.h>

#include "recognition/Recognizer.h"
#include "tests/support/Printers.h"

namespace {

// A piece of the given vertical centre and height at left edge x.
Piece at(double midY, double height, const char* text, double x = 0, double width = 10) {
  return {{x, midY - height / 2, width, height}, QString::fromUtf8(text)};
}

QList<QStringList> texts(const std::vector<std::vector<Piece>>& rows) {
  QList<QStringList> out;
  for (const auto& row : rows) {
    QStringList r;
    for (const Piece& p : row) r << p.text;
    out << r;
  }
  return out;
}

using Rows = QList<QStringList>;

TEST(Group, JoinsOnlyStrictlyWithinHalfTheSmallerHeight) {
  // |100 - 96| = 4 < 0.5 * min(10, 20) = 5.
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "a"), at(96, 20, "b", 20)})), (Rows{{"a", "b"}}));
  // 5 is not below 5.
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "a"), at(95, 10, "b", 20)})), (Rows{{"a"}, {"b"}}));
  // The smaller height decides, whichever piece has it.
  EXPECT_EQ(texts(Recognizer::group({at(100, 20, "a"), at(94, 10, "b", 20)})), (Rows{{"a"}, {"b"}}));
}

TEST(Group, MeasuresAgainstTheRunningMeanOfTheRow) {
  // 100 and 97 make a row with mean 98.5; 94 is 4.5 from it (< 5) and joins.
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "a"), at(97, 10, "b", 20), at(94, 10, "c", 40)})),
            (Rows{{"a", "b", "c"}}));
  // Against the first piece alone 94 would be 6 away: the mean is what counts,
  // and after the join the mean is 97, so 92.5 (4.5 away) joins as well.
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "a"), at(97, 10, "b", 20), at(94, 10, "c", 40),
                                     at(92.5, 10, "d", 60)})),
            (Rows{{"a", "b", "c", "d"}}));
  // Only the last row is looked at: c would fit a's row (12 < 15) but not b's.
  EXPECT_EQ(texts(Recognizer::group({at(100, 30, "a"), at(90, 2, "b", 20), at(88, 30, "c", 40)})),
            (Rows{{"a"}, {"b"}, {"c"}}));
}

TEST(Group, RowHeightIsTheTallestPieceSoFar) {
  // A 4 high piece joining a 30 high row leaves the row 30 high, and a 30 high
  // piece joins the 4 high one's row as 30 high: min(30, 30) lets a piece 12 away join.
  EXPECT_EQ(texts(Recognizer::group({at(100, 30, "a"), at(100, 4, "b", 20), at(88, 30, "c", 40)})),
            (Rows{{"a", "b", "c"}}));
  EXPECT_EQ(texts(Recognizer::group({at(100, 4, "a"), at(100, 30, "b", 20), at(88, 30, "c", 40)})),
            (Rows{{"a", "b", "c"}}));
  EXPECT_EQ(texts(Recognizer::group({at(100, 4, "a"), at(88, 30, "c", 40)})), (Rows{{"a"}, {"c"}}));
}

TEST(Group, ZeroHeightPiecesStandAlone) {
  // Same centre, but a zero-height piece neither joins nor lets another join.
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "a"), at(100, 0, "z", 20)})), (Rows{{"a"}, {"z"}}));
  EXPECT_EQ(texts(Recognizer::group({at(100, 0, "z"), at(100, 10, "a", 20)})), (Rows{{"z"}, {"a"}}));
}

TEST(Group, RowsTopToBottomPiecesLeftToRight) {
  const auto rows = Recognizer::group({
      at(20, 10, "world", 60),
      at(80, 10, "second", 50),
      at(20, 10, "hello", 5),
      at(140, 10, "first", 30),
      at(80, 10, "third", 0),
  });
  EXPECT_EQ(texts(rows), (Rows{{"first"}, {"third", "second"}, {"hello", "world"}}));
}

TEST(Group, TiesKeepTheInputOrder) {
  // Equal centres keep recognition order before the row is formed; equal left
  // edges keep the order of joining.
  EXPECT_EQ(texts(Recognizer::group({at(50, 10, "b", 5), at(50, 10, "a", 5), at(50, 10, "c", 5)})),
            (Rows{{"b", "a", "c"}}));
  EXPECT_EQ(texts(Recognizer::group({at(50, 0, "y"), at(50, 0, "x")})), (Rows{{"y"}, {"x"}}));
  EXPECT_TRUE(Recognizer::group({}).empty());
}

TEST(Group, RightToLeftRowsReadFromTheirRightEdge) {
  // Two columns of an Arabic page side by side: the right one first. A row of
  // Latin text beside a short Arabic word still runs left to right.
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "الجديد", 10, 80), at(100, 10, "برنامج Excel", 120, 100)})),
            (Rows{{"برنامج Excel", "الجديد"}}));
  EXPECT_EQ(texts(Recognizer::group({at(100, 10, "Microsoft Word", 120, 100), at(100, 10, "مع", 10, 20)})),
            (Rows{{"مع", "Microsoft Word"}}));
}

TEST(Group, LeftToRightRunsOfARightToLeftRowKeepTheirOrderUnlessAColumnGapPartsThem) {
  // Word pieces of an Arabic row: "12 KB" a word space apart reads as it
  // stands; the same pieces a column apart are cells, read right to left.
  EXPECT_EQ(texts(Recognizer::group({at(100, 20, "KB", 40, 25), at(100, 20, "12", 20, 16),
                                     at(100, 20, "الحجم", 300, 60), at(100, 20, "ملف", 400, 40)})),
            (Rows{{"ملف", "الحجم", "12", "KB"}}));
  EXPECT_EQ(texts(Recognizer::group({at(100, 20, "KB", 40, 25), at(100, 20, "12", 200, 16),
                                     at(100, 20, "الحجم", 300, 60), at(100, 20, "ملف", 400, 40)})),
            (Rows{{"ملف", "الحجم", "12", "KB"}}));
  EXPECT_EQ(texts(Recognizer::group({at(100, 20, "34", 40, 20), at(100, 20, "12", 200, 16), at(100, 20, "KB", 220, 25),
                                     at(100, 20, "أحمد", 400, 40)})),
            (Rows{{"أحمد", "12", "KB", "34"}}));
}

Recognizer::Pass pass(std::initializer_list<const char*> lines, double confidence) {
  Recognizer::Pass p;
  double y = 1000;
  for (const char* line : lines) {
    p.result.lines.push_back({at(y, 10, line)});
    y -= 20;
  }
  p.confidence = confidence;
  return p;
}

TEST(Score, CountsLettersOfTheTextTimesConfidence) {
  EXPECT_DOUBLE_EQ(Recognizer::score(pass({"abc"}, 0.9)), 2.7);
  // Digits, punctuation and spaces are not letters; newlines between rows neither.
  EXPECT_DOUBLE_EQ(Recognizer::score(pass({"ab 12, cd!", "e-f"}, 0.5)), 3.0);
  // A letter with a combining accent is one character; CJK, Hangul, Thai and
  // Arabic letters count.
  EXPECT_DOUBLE_EQ(Recognizer::score(pass({"e\u0301t\u00e9"}, 1.0)), 3.0);
  EXPECT_DOUBLE_EQ(Recognizer::score(pass({"漢字한글"}, 1.0)), 4.0);
  // Letters outside the BMP count once.
  EXPECT_DOUBLE_EQ(Recognizer::score(pass({"\U00020000x"}, 1.0)), 2.0);
  EXPECT_DOUBLE_EQ(Recognizer::score(pass({"123"}, 1.0)), 0.0);
}

}  // namespace
