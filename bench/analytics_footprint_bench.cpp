// The analytics client's footprint:
// - writes of its session store in an hour of use (active throughout, with
//   four switches to another application and back), on a clock moved by hand;
// - memory of a full cache of 10,000 records (each with its own numbers, the
//   full default payload), built in this run and loaded from the file of an
//   earlier one, with the file's size and the time one snapshot of it takes.
//
// Run: build/bench/analytics_footprint_bench
#include <malloc.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

#include "analytics/SessionManager.h"
#include "analytics/SignalManager.h"
#include "tests/analytics/ManualScheduler.h"

namespace {

// Bytes the heap holds in use, in MB.
double heapMB() { return double(mallinfo2().uordblks) / 1048576.0; }

double residentMB() {
  malloc_trim(0);
  QFile status("/proc/self/status");
  status.open(QIODevice::ReadOnly);
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
  }
  return 0;
}

int storeWritesInAnHour(const QString& folder) {
  const auto clock = std::make_shared<rig::ManualScheduler>();
  const auto store = std::make_shared<analytics::ClientStore>(folder + "/store.json");
  analytics::SessionManager sessions(store, clock, [](const QString&, const analytics::Parameters&) {});
  clock->advance();
  sessions.startNewSession();
  const int before = store->writeCount();
  for (int quarter = 0; quarter < 4; ++quarter) {
    clock->advance(std::chrono::minutes(14));
    sessions.didResignActive();
    clock->advance(std::chrono::minutes(1));
    sessions.willBecomeActive();
  }
  sessions.willTerminate();
  return store->writeCount() - before;
}

std::shared_ptr<analytics::SignalManager> manager(const analytics::ConfigurationPtr& config, const QString& file) {
  analytics::SignalManager::Parts parts;
  parts.scheduler = std::make_shared<analytics::ThreadScheduler>();
  parts.cacheFilePath = file;
  parts.system = analytics::SystemFacts::read();
  return analytics::SignalManager::make(config, parts);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir home;
  std::printf("session store writes in an hour of use: %d (a write every second would be 3600)\n",
              storeWritesInAnHour(home.path()));

  const QString file = home.path() + "/analyticssignalcache";
  auto config = analytics::AnalyticsManagerConfiguration::make("MEMORY", std::nullopt, QString("http://127.0.0.1:9/"));
  config->logHandler.set(std::nullopt);
  const double base = residentMB();
  const double heapBase = heapMB();
  {
    const auto m = manager(config, file);
    for (int n = 0; n < 10000; ++n) {
      // Keys and labels are literals in the application, as here; only the number is made per signal.
      m->processSignal(QStringLiteral("capture.done"),
                       {{QStringLiteral("n"), QString::number(n)},
                        {QStringLiteral("mode"), n % 2 ? QStringLiteral("fast") : QStringLiteral("accurate")},
                        {QStringLiteral("lines"), QStringLiteral("6-20")},
                        {QStringLiteral("seconds"), QStringLiteral("<2")}},
                       std::nullopt, std::nullopt, config);
    }
    const size_t pending = m->pendingSignals().size();
    std::printf("cache of %zu records built in this run: %.1f MB of heap in use, %.1f MB resident\n", pending,
                heapMB() - heapBase, residentMB() - base);
    const auto t0 = std::chrono::steady_clock::now();
    m->appWillTerminate();
    std::printf("snapshot of the full cache: %.0f ms, file %.1f MB\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count(),
                QFile(file).size() / 1048576.0);
  }
  const double between = residentMB();
  const double heapBetween = heapMB();
  {
    const auto m = manager(config, file);
    const size_t pending = m->pendingSignals().size();
    std::printf("cache of %zu records loaded from the file: %.1f MB of heap in use, %.1f MB resident\n", pending,
                heapMB() - heapBetween, residentMB() - between);
  }
  return 0;
}
