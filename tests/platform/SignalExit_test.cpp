#include "platform/SignalExit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <atomic>
#include <chrono>
#include <thread>

#include "tests/support/TestEnv.h"

namespace {

QString marker(const char* name) { return testenv::scratch() + "/signal-exit/" + name; }

void touch(const QString& path) { QFile(path).open(QIODevice::WriteOnly); }

// A writer holds the gate while an exit is asked for from another thread:
// the exit waits for the write, runs the clean-ups, and ends with the code.
const bool registered = (testenv::registerChild("signal-exit", [] {
  QDir().mkpath(marker(""));
  SignalExit::atExit([] { touch(marker("cleaned")); });
  const int cancelled = SignalExit::atExit([] { touch(marker("cancelled")); });
  SignalExit::cancel(cancelled);
  std::atomic<bool> holding{false};
  std::thread writer([&] {
    SignalExit::Hold hold;
    SignalExit::Hold nested;  // holds nest
    holding = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    touch(marker("written"));
  });
  while (!holding) std::this_thread::yield();
  std::thread([] { SignalExit::now(42); }).join();
  return 0;  // never reached
}), true);

}  // namespace

TEST(SignalExit, AnExitWaitsForAFileBeingWrittenThenCleansUpAndEndsWithItsCode) {
  EXPECT_EQ(testenv::runChild("signal-exit").exitCode, 42);
  EXPECT_TRUE(QFile::exists(marker("written"))) << "the exit waited for the writer";
  EXPECT_TRUE(QFile::exists(marker("cleaned")));
  EXPECT_FALSE(QFile::exists(marker("cancelled")));
}
