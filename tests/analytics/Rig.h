#pragma once
// Shared parts of the analytics tests: a scheduler whose time the test moves,
// a log handler that keeps what it is given, and a signal manager wired to
// the real HTTP stub.
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <condition_variable>
#include <map>
#include <mutex>

#include "analytics/Analytics.h"
#include "analytics/AnalyticsConfiguration.h"
#include "analytics/Scheduler.h"
#include "analytics/SignalManager.h"
#include "tests/analytics/ManualScheduler.h"
#include "tests/support/HttpStub.h"
#include "tests/support/TestEnv.h"

namespace rig {

using namespace std::chrono_literals;
using analytics::TimePoint;

// Keeps every message with the scheduler time it came at.
struct Log {
  struct Line {
    double at;
    analytics::LogLevel level;
    QString text;
  };
  std::shared_ptr<std::mutex> mutex = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<Line>> lines = std::make_shared<std::vector<Line>>();

  analytics::LogHandler handler(const std::shared_ptr<ManualScheduler>& clock = nullptr) const {
    return {analytics::LogLevel::debug,
            [mutex = mutex, lines = lines, clock](analytics::LogLevel level, const QString& text) {
              std::lock_guard lock(*mutex);
              lines->push_back({clock ? clock->secondsSinceStart() : 0.0, level, text});
            },
            {}};
  }
  // The texts of the lines that contain `part`, at error level only when asked.
  QStringList find(const QString& part, bool errorsOnly = false) const {
    std::lock_guard lock(*mutex);
    QStringList out;
    for (const Line& l : *lines) {
      if (l.text.contains(part) && (!errorsOnly || l.level == analytics::LogLevel::error)) out << l.text;
    }
    return out;
  }
  // When each send attempt began.
  std::vector<double> attempts() const {
    std::lock_guard lock(*mutex);
    std::vector<double> out;
    for (const Line& l : *lines) {
      if (l.text.startsWith(QLatin1String("Current signal cache count: "))) out.push_back(l.at);
    }
    return out;
  }
  void clear() const {
    std::lock_guard lock(*mutex);
    lines->clear();
  }
};

// The records of every POST the stub received, in order.
inline std::vector<QJsonArray> batches(const testsupport::HttpStub& stub) {
  std::vector<QJsonArray> out;
  for (const testsupport::StubRequest& r : stub.requests()) out.push_back(QJsonDocument::fromJson(r.body).array());
  return out;
}

// A signal manager on a manual clock, posting to `url`, keeping its file at `cacheFile`.
struct Client {
  std::shared_ptr<ManualScheduler> clock = std::make_shared<ManualScheduler>();
  Log log;
  analytics::ConfigurationPtr config;
  std::shared_ptr<analytics::SignalManager> manager;
  bool waitForAnswers = true;  // false for a transport that never answers

  explicit Client(const QString& url, const QString& cacheFile = {},
                  const std::function<void(analytics::SignalManager::Parts&)>& tweak = {}) {
    config = analytics::AnalyticsManagerConfiguration::make(QStringLiteral("APP"), std::nullopt, url);
    config->logHandler.set(log.handler(clock));
    analytics::SignalManager::Parts parts;
    parts.scheduler = clock;
    parts.cacheFilePath = cacheFile;
    parts.system = analytics::SystemFacts::read();
    if (tweak) tweak(parts);
    manager = analytics::SignalManager::make(config, parts);
  }
  void send(int n, int from = 0) {
    for (int i = from; i < from + n; ++i)
      manager->processSignal(QStringLiteral("test.signal"), {{QStringLiteral("n"), QString::number(i)}}, std::nullopt,
                             std::nullopt, config);
  }
  // Runs the clock to the next send attempt and, when it posted, waits for its answer.
  double nextAttempt() {
    const size_t before = log.attempts().size();
    while (log.attempts().size() == before) {
      if (!clock->advanceToNext()) return -1;
    }
    while (waitForAnswers && manager->busy() && clock->waitForReady()) {
    }
    return log.attempts().back();
  }
};

// Starts the process's client on `clock`, its store in `stateFolder` (empty: none).
inline analytics::ConfigurationPtr startClient(const std::shared_ptr<ManualScheduler>& clock, const QString& appID,
                                               const QString& url, const QString& stateFolder,
                                               std::optional<analytics::LogHandler> log, const QString& cacheFile = {}) {
  auto config = analytics::AnalyticsManagerConfiguration::make(appID, std::nullopt, url);
  config->logHandler.set(std::move(log));
  const analytics::AnalyticsManager::Environment env{
      .scheduler = clock, .cacheFile = cacheFile, .stateFolder = stateFolder};
  analytics::Analytics::initialize(config, env);
  return config;
}

}  // namespace rig
