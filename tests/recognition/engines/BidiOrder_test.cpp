#include "recognition/engines/BidiOrder.h"

#include <gtest/gtest.h>

namespace {

// A line of words standing left to right as given, 40 px apart.
ocr::EngineLine standing(const QStringList& leftToRight, const QString& engineText) {
  ocr::EngineLine line{engineText, 0.9, QRect(0, 0, 40 * int(leftToRight.size()), 20), {}};
  for (int i = 0; i < leftToRight.size(); ++i) line.words.push_back({leftToRight[i], QRect(40 * i, 0, 30, 20)});
  return line;
}

TEST(BidiOrder, LeftToRightRunsKeepTheirOrderInsideARightToLeftLine) {
  struct Case {
    QStringList seen;  // left to right on the screen
    QString read;      // the engine's text
    QString want;
  };
  for (const Case& c : {
           // The engine took the number for Arabic: "11 Windows".
           Case{{"الجديد", "Windows", "11", "تحديث", "تم"}, "تم تحديث 11 Windows الجديد", "تم تحديث Windows 11 الجديد"},
           // Two Latin words in a row, and a number between Arabic words.
           Case{{"للطباعة", "Microsoft", "Word", "في", "12", "افتح"}, "", "افتح 12 في Microsoft Word للطباعة"},
       }) {
    ocr::EngineLine line = standing(c.seen, c.read.isEmpty() ? c.want : c.read);
    ocr::putInReadingOrder(line);
    EXPECT_EQ(line.text, c.want);
    ASSERT_EQ(line.words.size(), size_t(c.seen.size()));
    EXPECT_EQ(line.words.front().text, c.want.split(' ').front());
  }
}

TEST(BidiOrder, ARowOfATableReadsItsCellsRightToLeft) {
  // A row of an Arabic table the engine read as one line: a name, an age and
  // a size "12 KB", a column apart. Only the size's two words make a run.
  ocr::EngineLine line{QString::fromUtf8("أحمد 12 KB 34"), 0.9, QRect(20, 0, 540, 24), {}};
  line.words = {{QString::fromUtf8("أحمد"), QRect(500, 2, 60, 20)},
                {QStringLiteral("12"), QRect(20, 2, 20, 20)},
                {QStringLiteral("KB"), QRect(46, 2, 26, 20)},
                {QStringLiteral("34"), QRect(300, 2, 20, 20)}};
  ocr::putInReadingOrder(line);
  EXPECT_EQ(line.text, QString::fromUtf8("أحمد 34 12 KB"));
}

TEST(BidiOrder, LinesItCannotImproveStayAsTheEngineReadThem) {
  // Left to right text; Arabic alone; a word without a box.
  for (ocr::EngineLine line : {standing({"Windows", "11", "مع"}, "Windows 11 مع"),
                               standing({"الجديد", "برنامج"}, "برنامج  الجديد")}) {
    const QString before = line.text;
    ocr::putInReadingOrder(line);
    EXPECT_EQ(line.text, before);
  }
  ocr::EngineLine unplaced = standing({"الجديد", "Windows", "11"}, "11 Windows الجديد");
  unplaced.words[1].box.reset();
  ocr::putInReadingOrder(unplaced);
  EXPECT_EQ(unplaced.text, "11 Windows الجديد");
}

}  // namespace
