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

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/Scheduler.h"
#include "analytics/SignalManager.h"
#include "tests/support/HttpStub.h"
#include "tests/support/TestEnv.h"

namespace rig {

using namespace std::chrono_literals;
using analytics::TimePoint;

// Sunday 2026-03-01 20:00:00 UTC: already Monday east of UTC+4.
inline TimePoint start() { return analytics::WallClock::from_time_t(1772395200); }

class ManualScheduler final : public analytics::Scheduler {
 public:
  explicit ManualScheduler(TimePoint at = start()) : now_(at) {}
  TimePoint now() const override {
    std::lock_guard lock(mutex_);
    return now_;
  }
  Handle post(Task task, std::chrono::nanoseconds delay) override {
    std::lock_guard lock(mutex_);
    const Handle h = next_++;
    tasks_.emplace(std::make_pair(now_ + std::chrono::duration_cast<analytics::WallClock::duration>(delay), h),
                   std::move(task));
    changed_.notify_all();
    return h;
  }
  void cancel(Handle handle) override {
    std::lock_guard lock(mutex_);
    std::erase_if(tasks_, [&](const auto& t) { return t.first.second == handle; });
  }
  // Runs, in order, every task due by now + `by`, moving the time to each; ends at now + `by`.
  void advance(std::chrono::nanoseconds by = {}) {
    const TimePoint until = now() + std::chrono::duration_cast<analytics::WallClock::duration>(by);
    while (runOne(until)) {
    }
    std::lock_guard lock(mutex_);
    now_ = until;
  }
  // Moves to the next task and runs it (and all due with it); false when none is pending.
  bool advanceToNext() {
    TimePoint due;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) return false;
      due = tasks_.begin()->first.first;
    }
    advance(std::max(std::chrono::nanoseconds(0), std::chrono::nanoseconds(due - now())));
    return true;
  }
  // Waits for real until another thread (an HTTP completion) posts work for now, then runs it.
  bool waitForReady(std::chrono::milliseconds timeout = 15s) {
    {
      std::unique_lock lock(mutex_);
      const bool ready = changed_.wait_for(lock, timeout, [&] {
        return !tasks_.empty() && tasks_.begin()->first.first <= now_;
      });
      if (!ready) return false;
    }
    advance();
    return true;
  }
  double secondsSinceStart() const { return std::chrono::duration<double>(now() - start()).count(); }

 private:
  bool runOne(TimePoint until) {
    Task task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty() || tasks_.begin()->first.first > until) return false;
      now_ = std::max(now_, tasks_.begin()->first.first);
      task = std::move(tasks_.begin()->second);
      tasks_.erase(tasks_.begin());
    }
    task();
    return true;
  }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  TimePoint now_;
  std::map<std::pair<TimePoint, Handle>, Task> tasks_;
  Handle next_ = 1;
};

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

}  // namespace rig
