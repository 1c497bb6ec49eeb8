// Stopping a recognition: the real engine reads nothing once its
// recognition is stopped, on every band, and stays in the pool; the road
// reads no pass after the stop; the thorough code search tries no variant.
#include "recognition/engines/Stop.h"

#include <gtest/gtest.h>

#include <atomic>

#include "recognition/codes/CodeSearch.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/TextImages.h"

namespace {

const QStringList kEnglish{QStringLiteral("en-US")};

Recognizer::StopFlag stopped() {
  Recognizer::StopFlag flag = Recognizer::newStopFlag();
  flag->store(true);
  return flag;
}

// `n` lines of plain English, 13 px.
textimages::Rendered page(int n) {
  QStringList lines;
  for (int i = 0; i < n; ++i) lines << QStringLiteral("Line %1 of the settings page was saved on Friday.").arg(i + 1);
  textimages::Style style;
  style.px = 13;
  return textimages::lines(lines, style);
}

}  // namespace

TEST(Stop, AStoppedEngineReadsNothingOnAnyBandAndStaysInThePool) {
  EnginePool& pool = EnginePool::shared();
  // Three lines go to one engine; forty to bands on several, each band on a thread of its own.
  for (const int n : {3, 40}) {
    SCOPED_TRACE(n);
    const textimages::Rendered drawn = page(n);
    ASSERT_EQ(Recognizer::read(drawn.image, kEnglish).result.lines.size(), size_t(n));
    const auto starts = pool.counters().starts;
    {
      Recognizer::StopScope scope(stopped());
      EXPECT_TRUE(Recognizer::read(drawn.image, kEnglish).result.lines.empty());
    }
    EXPECT_EQ(Recognizer::read(drawn.image, kEnglish).result.lines.size(), size_t(n)) << "a stop lasts one recognition";
    EXPECT_EQ(pool.counters().starts, starts) << "the stopped engines were kept";
  }
}

TEST(Stop, TheRoadReadsNoPassAfterTheStopReadingOneAtATimeOrSideBySide) {
  // Text without letters would send the road through every other script.
  for (const int parallel : {1, 8}) {
    const Recognizer::StopFlag stop = Recognizer::newStopFlag();
    Recognizer::StopScope scope(stop);
    std::atomic<int> reads{0};
    const Recognized result = Recognizer::recognize(
        QImage(), kEnglish, true,
        [&](const QImage&, const QStringList&) {
          ++reads;
          stop->store(true);
          Recognizer::Pass pass;
          pass.result.lines.push_back({Piece{PixelRect{0, 0, 10, 10}, QStringLiteral("2024 118 42")}});
          pass.confidence = 0.9;
          return pass;
        },
        parallel);
    EXPECT_EQ(reads, 1) << parallel;
    EXPECT_EQ(result.text(), QStringLiteral("2024 118 42"));
  }
}

TEST(Stop, AStoppedCodeSearchTriesNoVariant) {
  QImage blank(400, 300, QImage::Format_RGB32);
  blank.fill(Qt::white);
  std::vector<int> tried;
  const Recognizer::CodeSearchProbe probe{[] { return 0.0; }, [&](int variant) { tried.push_back(variant); }};
  EXPECT_TRUE(Recognizer::searchCodes(blank, true, 0.8, probe).empty());
  EXPECT_FALSE(tried.empty()) << "without a stop the search goes through its variants";
  tried.clear();
  Recognizer::StopScope scope(stopped());
  EXPECT_TRUE(Recognizer::searchCodes(blank, true, 0.8, probe).empty());
  EXPECT_TRUE(tried.empty());
}
