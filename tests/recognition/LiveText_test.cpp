#include "recognition/LiveText.h"

#include <gtest/gtest.h>

#include <QThreadPool>
#include <future>

#include "recognition/engines/EnginePool.h"
#include "recognition/base/OCRLanguages.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"
#include "tests/support/TestEnv.h"

namespace {

const QStringList kEnglish{QStringLiteral("en-US")};

std::optional<Recognized> readOnWorker(const QImage& image, const QStringList& prefer = kEnglish) {
  return std::async(std::launch::async, [&] { return LiveText::read(image, prefer); }).get();
}

QStringList texts(const Recognized& r) {
  QStringList out;
  for (const auto& row : r.lines) {
    EXPECT_EQ(row.size(), 1u);
    EXPECT_TRUE(row.front().rect.isZero());
    out << row.front().text;
  }
  return out;
}

TEST(LiveTextRows, SplitAtLineFeedsTrimmedBlankOnesLeftOut) {
  const auto r = LiveText::rowsOf(QStringLiteral("Hello\n\n  world \t\n"));
  ASSERT_TRUE(r);
  EXPECT_EQ(texts(*r), (QStringList{"Hello", "world"}));
  // A line of spaces and tabs is dropped; only blank lines is nothing at all.
  EXPECT_EQ(texts(*LiveText::rowsOf(QStringLiteral("a\n \t \nb"))), (QStringList{"a", "b"}));
  EXPECT_FALSE(LiveText::rowsOf(QStringLiteral("\n  \n\t\n")));
}

TEST(LiveText, ReadsLinesWithoutGeometryAndNothingIsNone) {
  const QStringList lines{"Fast mode reads lines", "without any geometry"};
  const auto r = readOnWorker(textimages::lines(lines).image);
  ASSERT_TRUE(r);
  EXPECT_EQ(texts(*r), lines);
  QImage white(300, 80, QImage::Format_RGB32);
  white.fill(Qt::white);
  EXPECT_FALSE(readOnWorker(white));
}

TEST(LiveText, ReadsWithTheLanguagesOfTheAccurateFirstPass) {
  // Korean chosen alone gets English beside it, as the accurate road's first
  // pass does; a Latin choice stays as it is.
  EXPECT_EQ(LiveText::languagesFor({QStringLiteral("ko-KR")}), (QStringList{"ko-KR", "en-US"}));
  EXPECT_EQ(LiveText::languagesFor({QStringLiteral("de-DE"), QStringLiteral("ru-RU")}), (QStringList{"de-DE", "ru-RU"}));
  const QStringList russian{QStringLiteral("Совещание начнётся в три часа дня.")};
  const auto r = readOnWorker(textimages::lines(russian).image, {QStringLiteral("ru-RU")});
  ASSERT_TRUE(r);
  EXPECT_EQ(texts(*r), russian);
}

TEST(LiveText, RefusesTheGuiThread) {
  testenv::LogCapture log(QStringLiteral("tarvok.ocr"));
  EXPECT_FALSE(LiveText::read(textimages::lines({"Never here"}).image, kEnglish));
  EXPECT_TRUE(log.contains(QStringLiteral("GUI thread")));
  EXPECT_EQ(EnginePool::shared().counters().starts, 0);
}

TEST(LiveText, WarmUpReturnsAndLeavesTheEngineReady) {
  LiveText::warmUp(kEnglish);
  QThreadPool::globalInstance()->waitForDone();
  EnginePool& pool = EnginePool::shared();
  EXPECT_GE(pool.idle(pool.keyFor(LiveText::languagesFor(kEnglish))), 1);
  const auto started = pool.counters().starts;
  ASSERT_TRUE(readOnWorker(textimages::lines({"Warm already"}).image));
  EXPECT_EQ(pool.counters().starts, started);
}

// A few lines take the engines there are; a screen full of text starts the
// ones it lacks, as the accurate road does, and loses no line to them.
TEST(LiveText, AFewLinesStartNoEngineAndADensePageIsReadWholeOnSeveral) {
  EnginePool& pool = EnginePool::shared();
  const QStringList few{"Name of the file", "Size on disk", "Modified yesterday"};
  ASSERT_TRUE(readOnWorker(textimages::lines(few).image));
  EXPECT_EQ(pool.counters().starts, 1);

  QStringList page;
  const QStringList words{"window", "button", "value", "screen", "reading", "every", "line", "counts"};
  for (int i = 0; i < 40; ++i)
    page << QStringLiteral("%1 %2 %3 row %4").arg(words[i % 8], words[(i * 3 + 1) % 8], words[(i * 5 + 2) % 8]).arg(i + 1);
  const auto r = readOnWorker(textimages::lines(page, textimages::dark(13)).image);
  ASSERT_TRUE(r);
  EXPECT_EQ(texts(*r), page);
  EXPECT_GT(pool.counters().starts, 2);
}

}  // namespace
