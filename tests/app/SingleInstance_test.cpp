#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QProcess>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "tests/support/TestEnv.h"

namespace {

QString folder(const QString& name) {
  const QString dir = testenv::scratch() + QLatin1Char('/') + name;
  QDir().mkpath(dir);
  return dir;
}

// A copy that takes the lock and dies without letting it go.
const bool registered = [] {
  testenv::registerChild("die-holding-lock", [] {
    QLockFile lock(qEnvironmentVariable("LOCK_PATH"));
    lock.tryLock(0);
    std::_Exit(0);
    return 0;
  });
  return true;
}();

}  // namespace

TEST(SingleInstance, ALaterCopyHandsOverAndTheFirstOpensItsMenu) {
  const QString dir = folder(QStringLiteral("one"));
  SingleInstance first(QStringLiteral("tarvok-test"), dir);
  int reopened = 0;
  first.onReopen = [&] { ++reopened; };
  ASSERT_EQ(first.claim(), SingleInstance::Role::first);

  // The later copy blocks while it asks; the first answers from its event loop.
  std::atomic<int> role{-1};
  std::thread later([&] {
    SingleInstance second(QStringLiteral("tarvok-test"), dir);
    role = int(second.claim(3000));
  });
  testenv::waitUntil([&] { return role >= 0; }, 8000);
  later.join();
  EXPECT_EQ(role, int(SingleInstance::Role::handedOver));
  QCoreApplication::processEvents();
  EXPECT_EQ(reopened, 1);

  // Another display is another instance.
  SingleInstance other(QStringLiteral("tarvok-test-other"), dir);
  EXPECT_EQ(other.claim(), SingleInstance::Role::first);
}

TEST(SingleInstance, ALockLeftByACopyThatDiedIsTakenOver) {
  const QString dir = folder(QStringLiteral("stale"));
  const auto child = testenv::runChild("die-holding-lock", {{"LOCK_PATH", dir + QStringLiteral("/tarvok-test.lock")}});
  ASSERT_EQ(child.exitCode, 0);
  ASSERT_TRUE(QFile::exists(dir + QStringLiteral("/tarvok-test.lock")));
  SingleInstance instance(QStringLiteral("tarvok-test"), dir);
  EXPECT_EQ(instance.claim(1000), SingleInstance::Role::first);
}

TEST(SingleInstance, WaitsForTheCopyThatStartedItToEnd) {
  QProcess running;
  running.start(QStringLiteral("sleep"), {QStringLiteral("5")});
  ASSERT_TRUE(running.waitForStarted());
  EXPECT_FALSE(SingleInstance::waitForExit(running.processId(), 100));
  running.kill();
  running.waitForFinished();

  QProcess ended;
  ended.start(QStringLiteral("true"));
  ASSERT_TRUE(ended.waitForFinished());
  EXPECT_TRUE(SingleInstance::waitForExit(ended.processId(), 10));
  EXPECT_TRUE(SingleInstance::waitForExit(0, 10));  // no copy to wait for
}
