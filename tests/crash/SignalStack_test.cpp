#include "crash/SignalStack.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <QFile>
#include <QThreadPool>
#include <atomic>
#include <future>
#include <thread>

namespace {

bool hasStack() { return crash::signalstack::present(); }

qsizetype mappings() {
  QFile maps(QStringLiteral("/proc/self/maps"));
  maps.open(QIODevice::ReadOnly);
  return maps.readAll().count('\n');
}

void* endByExit(void*) {
  pthread_exit(reinterpret_cast<void*>(hasStack() ? 1 : 0));
}

}  // namespace

// The crash handler can only run for a thread whose stack ran out when that
// thread has a stack of its own for signals; no thread inherits one.
TEST(SignalStack, EveryThreadWeStartHasOneWhateverStartedIt) {
  bool plain = false;
  std::thread([&] { plain = hasStack(); }).join();
  EXPECT_TRUE(plain);
  EXPECT_TRUE(std::async(std::launch::async, hasStack).get());
  std::atomic<bool> pooled{false};
  QThreadPool pool;
  pool.start([&] { pooled = hasStack(); });
  pool.waitForDone();
  EXPECT_TRUE(pooled);
  pthread_t thread{};
  void* result = nullptr;
  ASSERT_EQ(pthread_create(&thread, nullptr, endByExit, nullptr), 0);
  pthread_join(thread, &result);
  EXPECT_EQ(result, reinterpret_cast<void*>(1));
}

// A thread's stack goes with it, however the thread ends.
TEST(SignalStack, AThreadsStackIsFreedWhenItEnds) {
  const auto churn = [] {
    for (int i = 0; i < 50; ++i) {
      std::thread([] {}).join();
      pthread_t thread{};
      pthread_create(&thread, nullptr, endByExit, nullptr);
      pthread_join(thread, nullptr);
    }
  };
  churn();  // the allocator's arenas settle first
  const qsizetype before = mappings();
  churn();
  // Each kept stack would add two mappings (the stack and its guard page).
  EXPECT_LT(mappings() - before, 20);
}
