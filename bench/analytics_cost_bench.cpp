// What one usage signal costs the GUI thread: Reporting::signal with the
// parameters of "capture.done", through the installed analytics client with
// its full default payload (server down, so nothing is sent meanwhile).
// The record itself (payload, hashing, caching) is built on the client's own
// thread; its cost per signal is shown too.
//
// Run: build/bench/analytics_cost_bench [signals=10000]
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "analytics/Analytics.h"
#include "app/AnalyticsAdapter.h"
#include "core/Reporting.h"
#include "core/Settings.h"
#include "platform/Bundle.h"

int main(int argc, char** argv) {
  QTemporaryDir home;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
    qputenv(name, (home.path() + "/" + name).toLocal8Bit());
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName("analytics-cost");
  const int count = argc > 1 ? std::atoi(argv[1]) : 10000;

  const QString resources = home.path() + "/resources";
  QDir().mkpath(resources);
  QFile::link(TARVOK_SOURCE_DIR "/resources/Strings", resources + "/Strings");
  QFile info(resources + "/Info.json");
  info.open(QIODevice::WriteOnly);
  info.write(R"({"TQTelemetryAppID": "COST", "TQTelemetryURL": "http://127.0.0.1:9/"})");
  info.close();
  Bundle::setResourceDir(resources);

  AnalyticsAdapter adapter;
  Reporting::setAnalyticsClient(&adapter);
  Settings::shared().setReports(true);
  Reporting::start();
  const Reporting::Params params{{"mode", "accurate"}, {"lines", "6-20"}, {"chars", "100+"},
                                 {"table", "no"},      {"code", "qr"},    {"seconds", "<2"}};
  for (int i = 0; i < 200; ++i) Reporting::signal("capture.done", params);  // warm-up
  analytics::AnalyticsManager::shared()->signalManager().pendingSignals();

  std::vector<double> micros;
  micros.reserve(size_t(count));
  const auto first = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    Reporting::signal("capture.done", params);
    micros.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
  }
  // Waits for the client's thread to have built every record.
  const size_t built = analytics::AnalyticsManager::shared()->signalManager().pendingSignals().size();
  const double total = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - first).count();

  std::sort(micros.begin(), micros.end());
  const auto at = [&](double q) { return micros[std::min(micros.size() - 1, size_t(q * double(micros.size())))]; };
  std::printf("Reporting::signal on the GUI thread, %d calls: median %.1f us, p99 %.1f us, max %.1f us\n", count,
              at(0.5), at(0.99), micros.back());
  std::printf("records built on the client's thread: %zu pending, %.1f us per signal (to the last record)\n", built,
              total / count);
  Settings::shared().setReports(false);
  Reporting::setAnalyticsClient(nullptr);
  return 0;
}
