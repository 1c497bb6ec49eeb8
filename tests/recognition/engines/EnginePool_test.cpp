#include "recognition/engines/EnginePool.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <tesseract/baseapi.h>

#include <QImage>
#include <thread>

#include "recognition/engines/EngineRun.h"
#include "recognition/base/OCRLanguages.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"
#include "tests/support/TestEnv.h"

namespace {

EnginePool makePool(EnginePool::Limits limits = {}) { return EnginePool(OCRLanguages::tessdataDir(), limits); }

TEST(EnginePoolKey, TraineddataInOrderWithRepeatsCollapsed) {
  EnginePool pool = makePool();
  EXPECT_EQ(pool.keyFor({"de-DE", "en-US"}), "deu+eng");
  // The Latin re-read names its language twice: the first place wins.
  EXPECT_EQ(pool.keyFor({"de-DE", "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}),
            "deu+eng+fra+ita+spa+por+vie");
  // Another script first: of the Latin languages, English only.
  EXPECT_EQ(pool.keyFor({"ko-KR", "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}), "kor+eng");
  EXPECT_EQ(pool.keyFor({"ru-RU", "de-DE", "ja-JP", "en-US"}), "rus+jpn+eng");
  // Codes outside the table are left out; nothing left is no engine at all.
  EXPECT_EQ(pool.keyFor({"xx-YY", "ko-KR"}), "kor");
  EXPECT_EQ(pool.keyFor({"xx-YY"}), "");
  // Nothing is installed in a missing folder but the stated fallback, English.
  EXPECT_EQ(EnginePool(QStringLiteral("/nonexistent")).keyFor({"de-DE", "en-US"}), "eng");
}

TEST(EnginePool, EnginesStartWithoutParsingTheLegacyLookAlikeTable) {
  // The library calls the first definition in the process's lookup order:
  // ours, from this executable, when it was linked in and exported.
  const char* name = "_ZN9tesseract13UnicharAmbigs13LoadUniversalERKNS_10UNICHARSETEPS1_";
  void* library = dlopen("libtesseract.so.5", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  void* own = dlsym(library, name);
  void* used = dlsym(RTLD_DEFAULT, name);
  dlclose(library);
  ASSERT_NE(own, nullptr) << "the library no longer has the function: the definition is dead";
  ASSERT_NE(used, nullptr);
  EXPECT_NE(used, own);
  Dl_info where{};
  ASSERT_NE(dladdr(used, &where), 0);
  EXPECT_EQ(QString::fromLocal8Bit(where.dli_fname).contains(QStringLiteral("libtesseract")), false) << where.dli_fname;
  // An engine so started reads as before, look-alike letters included.
  EnginePool pool = makePool();
  EnginePool::Lease engine = pool.acquire(QStringLiteral("eng"));
  ASSERT_TRUE(engine);
  textimages::Style style;
  style.px = 32;
  const QString text = QStringLiteral("The modern barn holds 10 old clocks");
  const QImage line = textimages::lines({text}, style).image.convertToFormat(QImage::Format_Grayscale8);
  ASSERT_TRUE(ocr::recognizeGrey(engine, line, tesseract::PSM_SINGLE_LINE));
  const std::vector<ocr::EngineLine> read = ocr::collect(*engine.get(), false);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_EQ(read[0].text, text);
}

TEST(EnginePool, StartsOnceThenServesTheIdleEngine) {
  EnginePool pool = makePool();
  const void* first = nullptr;
  {
    EnginePool::Lease lease = pool.acquire(QStringLiteral("eng"));
    ASSERT_TRUE(lease);
    EXPECT_EQ(lease.key(), "eng");
    first = lease.get();
    EXPECT_EQ(pool.idle(QStringLiteral("eng")), 0);
  }
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 1);
  {
    EnginePool::Lease again = pool.acquire(QStringLiteral("eng"));
    EXPECT_EQ(again.get(), first);
    // One user per engine; acquireIdle never starts one.
    EnginePool::Lease other = pool.acquire(QStringLiteral("eng"));
    EXPECT_NE(other.get(), first);
    EXPECT_FALSE(pool.acquireIdle(QStringLiteral("eng")));
  }
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.counters().hits, 1);
  // A model that is not there fails every start; the warning is said once.
  testenv::LogCapture log(QStringLiteral("tarvok.ocr"));
  EXPECT_FALSE(pool.acquire(QStringLiteral("nosuchlanguage")));
  EXPECT_FALSE(pool.acquire(QStringLiteral("nosuchlanguage")));
  EXPECT_EQ(pool.counters().failures, 2);
  EXPECT_EQ(log.lines().filter(QStringLiteral("could not start")).size(), 1) << log.lines().join('\n').toStdString();
}

TEST(EnginePool, ModelBudgetEvictsTheLeastRecentlyUsed) {
  // Room for three models: "eng" (1) and "deu+eng" (2) fit, "fra" pushes "eng" out.
  EnginePool pool = makePool({1, 3});
  {
    EnginePool::Lease a = pool.acquire(QStringLiteral("eng"));
    EnginePool::Lease b = pool.acquire(QStringLiteral("eng"));
  }
  EXPECT_EQ(pool.counters().evictions, 1);  // one idle engine per key
  { EnginePool::Lease e = pool.acquire(QStringLiteral("eng")); }
  { EnginePool::Lease d = pool.acquire(QStringLiteral("deu+eng")); }
  EXPECT_EQ(pool.idleTotal(), 2);
  { EnginePool::Lease f = pool.acquire(QStringLiteral("fra")); }
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 0);
  EXPECT_EQ(pool.idle(QStringLiteral("deu+eng")), 1);
  EXPECT_EQ(pool.idle(QStringLiteral("fra")), 1);
  pool.setLimits({2, 1});
  EXPECT_EQ(pool.idleTotal(), 1);
  EXPECT_EQ(pool.idle(QStringLiteral("fra")), 1);
}

TEST(EnginePool, FillStartsUpToTheCountAndTheLimit) {
  EnginePool pool = makePool({2, 24});
  EXPECT_EQ(pool.fill(QStringLiteral("eng"), 3), 2);
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.fill(QStringLiteral("eng"), 2), 2);
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.fill(QString(), 1), 0);
}

TEST(EnginePool, AddStartsSideBySideAndDropLetsOneKeyGo) {
  EnginePool pool = makePool({2, 24});
  std::thread other([&] { EXPECT_TRUE(pool.add(QStringLiteral("eng"))); });
  EXPECT_TRUE(pool.add(QStringLiteral("eng")));
  other.join();
  EXPECT_TRUE(pool.add(QStringLiteral("rus")));
  EXPECT_FALSE(pool.add(QStringLiteral("nosuchlanguage")));
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 2);
  EXPECT_EQ(pool.drop(QStringLiteral("eng")), 2);
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 0);
  EXPECT_EQ(pool.idle(QStringLiteral("rus")), 1);
}

// A drop may keep the engines last returned: those are the warm ones, and
// the others go first.
TEST(EnginePool, DropCanKeepTheEnginesLastReturned) {
  EnginePool pool = makePool({3, 24});
  const QString eng = QStringLiteral("eng");
  const tesseract::TessBaseAPI* last = nullptr;
  {
    // Returned in the opposite order: `first` last.
    EnginePool::Lease first = pool.acquire(eng), second = pool.acquire(eng), third = pool.acquire(eng);
    ASSERT_TRUE(first && second && third);
    last = first.get();
  }
  EXPECT_EQ(pool.drop(eng, 1), 2);
  EXPECT_EQ(pool.idle(eng), 1);
  EXPECT_EQ(pool.acquireIdle(eng).get(), last);
  EXPECT_EQ(pool.drop(eng, 5), 0);
  EXPECT_EQ(pool.drop(QStringLiteral("rus"), 1), 0);
}

// An idle program keeps only the warm engines of one key, those it used
// last; an engine out on a lease stays out of it and comes back idle.
TEST(EnginePool, KeepOnlyLeavesTheLastReturnedEnginesOfOneKey) {
  const QString eng = QStringLiteral("eng"), rus = QStringLiteral("rus");
  struct Case {
    QString key;
    int keep, dropped, eng, rus;  // idle afterwards
  };
  for (const Case& c : {Case{eng, 2, 2, 2, 0}, Case{eng, 0, 4, 0, 0}, Case{eng, 9, 1, 3, 0}, Case{rus, 1, 3, 0, 1},
                        Case{QString(), 2, 4, 0, 0}}) {
    SCOPED_TRACE(c.key.toStdString() + " keep " + std::to_string(c.keep));
    EnginePool pool = makePool({4, 24});
    const tesseract::TessBaseAPI* last = nullptr;
    EnginePool::Lease out = pool.acquire(eng);
    {
      // Returned in the opposite order: `first` last.
      EnginePool::Lease first = pool.acquire(eng), second = pool.acquire(eng), third = pool.acquire(eng);
      ASSERT_TRUE(out && first && second && third);
      last = first.get();
    }
    ASSERT_TRUE(pool.add(rus));
    EXPECT_EQ(pool.keepOnly(c.key, c.keep), c.dropped);
    EXPECT_EQ(pool.idle(eng), c.eng);
    EXPECT_EQ(pool.idle(rus), c.rus);
    if (c.eng > 0) {
      EXPECT_EQ(pool.acquireIdle(eng).get(), last);
    }
    out = EnginePool::Lease();
    EXPECT_EQ(pool.idle(eng), c.eng + 1);
  }
}

TEST(EnginePool, AcquireWaitsForTheEngineAWarmUpIsStarting) {
  EnginePool pool = makePool();
  const QString key = QStringLiteral("deu+eng");
  std::thread warm([&] { pool.fill(key, 1); });
  while (pool.starting(key) == 0 && pool.idle(key) == 0) std::this_thread::yield();
  {
    EnginePool::Lease lease = pool.acquire(key);
    ASSERT_TRUE(lease);
  }
  warm.join();
  // The capture took the warm-up's engine instead of starting a second one.
  EXPECT_EQ(pool.counters().starts, 1);
  EXPECT_EQ(pool.counters().hits, 1);
  EXPECT_EQ(pool.idle(key), 1);
}

// A read that does not start engines of its own still takes one that is
// being started for it (a read from a file starts two as it opens).
TEST(EnginePool, AcquireStartedWaitsForAnEngineComingButNeverStartsOne) {
  EnginePool pool = makePool();
  const QString key = QStringLiteral("deu+eng");
  EXPECT_FALSE(pool.acquireStarted(key));
  std::thread starting([&] { EXPECT_TRUE(pool.add(key)); });
  while (pool.starting(key) == 0 && pool.idle(key) == 0) std::this_thread::yield();
  {
    EnginePool::Lease lease = pool.acquireStarted(key);
    ASSERT_TRUE(lease);
    // The one engine is out: nothing idle, nothing coming.
    EXPECT_EQ(pool.starting(key), 0);
    EXPECT_FALSE(pool.acquireStarted(key));
  }
  starting.join();
  EXPECT_EQ(pool.counters().starts, 1);
  EXPECT_EQ(pool.idle(key), 1);
}

TEST(EnginePool, MovedLeaseReturnsItsEngineOnce) {
  EnginePool pool = makePool();
  {
    EnginePool::Lease a = pool.acquire(QStringLiteral("eng"));
    EnginePool::Lease b = std::move(a);
    EXPECT_FALSE(a);
    EXPECT_TRUE(b);
  }
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 1);
  {
    EnginePool::Lease c = pool.acquire(QStringLiteral("eng"));
    c.discard();
  }
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 0);
}

}  // namespace
