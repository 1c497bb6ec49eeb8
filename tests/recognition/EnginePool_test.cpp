#include "recognition/EnginePool.h"

#include <gtest/gtest.h>

#include <QImage>
#include <thread>

#include "recognition/OCRLanguages.h"
#include "tests/support/Printers.h"

namespace {

EnginePool makePool(EnginePool::Limits limits = {}) { return EnginePool(OCRLanguages::tessdataDir(), limits); }

TEST(EnginePoolKey, TraineddataInOrderWithRepeatsCollapsed) {
  EnginePool pool = makePool();
  EXPECT_EQ(pool.keyFor({"de-DE", "en-US"}), "deu+eng");
  EXPECT_EQ(pool.keyFor({"en-US", "de-DE"}), "eng+deu");
  // The Latin re-read names its language twice: the first place wins.
  EXPECT_EQ(pool.keyFor({"de-DE", "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}),
            "deu+eng+fra+ita+spa+por+vie");
  EXPECT_EQ(pool.keyFor({"zh-Hans", "en-US"}), "chi_sim+eng");
  // Another script first: of the Latin languages, English only.
  EXPECT_EQ(pool.keyFor({"ko-KR", "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}), "kor+eng");
  EXPECT_EQ(pool.keyFor({"ru-RU", "de-DE", "ja-JP", "en-US"}), "rus+jpn+eng");
  EXPECT_EQ(pool.keyFor({"de-DE", "ru-RU", "fr-FR"}), "deu+rus+fra");
  // Codes outside the table are left out; nothing left is no engine at all.
  EXPECT_EQ(pool.keyFor({"xx-YY", "ko-KR"}), "kor");
  EXPECT_EQ(pool.keyFor({"xx-YY"}), "");
  EXPECT_EQ(pool.keyFor({}), "");
}

TEST(EnginePoolKey, CodesWithoutInstalledModelsAreLeftOut) {
  EnginePool pool(QStringLiteral("/nonexistent"));
  // Nothing is installed there but the stated fallback, English.
  EXPECT_EQ(pool.keyFor({"de-DE", "en-US"}), "eng");
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
  }
  const auto c = pool.counters();
  EXPECT_EQ(c.starts, 1);
  EXPECT_EQ(c.hits, 1);
  EXPECT_EQ(c.failures, 0);
}

TEST(EnginePool, OneUserPerEngine) {
  EnginePool pool = makePool();
  EnginePool::Lease a = pool.acquire(QStringLiteral("eng"));
  EnginePool::Lease b = pool.acquire(QStringLiteral("eng"));
  ASSERT_TRUE(a && b);
  EXPECT_NE(a.get(), b.get());
  EXPECT_EQ(pool.counters().starts, 2);
  // Only idle engines, never a start: none is idle now.
  EXPECT_FALSE(pool.acquireIdle(QStringLiteral("eng")));
  EXPECT_EQ(pool.counters().starts, 2);
}

TEST(EnginePool, EngineThatCannotStartGivesAnEmptyLease) {
  EnginePool pool = makePool();
  EXPECT_FALSE(pool.acquire(QString()));
  EnginePool::Lease lease = pool.acquire(QStringLiteral("nosuchlanguage"));
  EXPECT_FALSE(lease);
  EXPECT_EQ(pool.counters().failures, 1);
  EXPECT_EQ(pool.idleTotal(), 0);
}

TEST(EnginePool, KeepsAtMostPerKeyIdleEnginesOfOneKey) {
  EnginePool pool = makePool({1, 24});
  {
    EnginePool::Lease a = pool.acquire(QStringLiteral("eng"));
    EnginePool::Lease b = pool.acquire(QStringLiteral("eng"));
  }
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 1);
  EXPECT_EQ(pool.counters().evictions, 1);
}

TEST(EnginePool, ModelBudgetEvictsTheLeastRecentlyUsed) {
  // Room for three models: "eng" (1) and "deu+eng" (2) fit, "fra" pushes "eng" out.
  EnginePool pool = makePool({2, 3});
  { EnginePool::Lease e = pool.acquire(QStringLiteral("eng")); }
  { EnginePool::Lease d = pool.acquire(QStringLiteral("deu+eng")); }
  EXPECT_EQ(pool.idleTotal(), 2);
  { EnginePool::Lease f = pool.acquire(QStringLiteral("fra")); }
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), 0);
  EXPECT_EQ(pool.idle(QStringLiteral("deu+eng")), 1);
  EXPECT_EQ(pool.idle(QStringLiteral("fra")), 1);
  // Lowering the limits applies at once.
  pool.setLimits({2, 1});
  EXPECT_EQ(pool.idleTotal(), 1);
  EXPECT_EQ(pool.idle(QStringLiteral("fra")), 1);
  pool.clear();
  EXPECT_EQ(pool.idleTotal(), 0);
}

TEST(EnginePool, FillStartsUpToTheCountAndTheLimit) {
  EnginePool pool = makePool({2, 24});
  EXPECT_EQ(pool.fill(QStringLiteral("eng"), 3), 2);
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.fill(QStringLiteral("eng"), 2), 2);
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.fill(QString(), 1), 0);
}

TEST(EnginePool, AcquireWaitsForTheEngineAWarmUpIsStarting) {
  EnginePool pool = makePool();
  const QString key = QStringLiteral("deu+eng");
  std::thread warm([&] { pool.fill(key, 1); });
  while (!pool.filling(key) && pool.idle(key) == 0) std::this_thread::yield();
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
