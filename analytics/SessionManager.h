#pragma once
#include <QJsonArray>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "analytics/ClientStore.h"
#include "analytics/DefaultSignalPayload.h"
#include "analytics/Scheduler.h"

namespace analytics {

// How long and on how many days the application is used, kept across runs
// in the client's store: sessions of active time (pruned after 90 days), the
// days of use, the first day. The history is written when it changes
// meaningfully: at a session's start and end, every minute while it runs, on
// deactivation and at quit. Every entry point may be called from any thread;
// the work runs on the client's scheduler, and the clock is the scheduler's.
class SessionManager {
 public:
  // Sends the client's own signal (name, parameters).
  using Send = std::function<void(const QString&, const Parameters&)>;

  static constexpr std::chrono::seconds kPersistEvery{60};
  static constexpr std::chrono::seconds kRetention{7776000};  // 90 days

  // `store` may be null: nothing is read or written then. Loads and prunes
  // the history and records today.
  SessionManager(std::shared_ptr<ClientStore> store, std::shared_ptr<Scheduler> scheduler, Send send);
  SessionManager(const SessionManager&) = delete;
  SessionManager& operator=(const SessionManager&) = delete;
  ~SessionManager();

  // Ends the running session (writing its last duration) and starts a new one.
  void startNewSession();
  void didResignActive();
  void willBecomeActive();
  void willTerminate();

  int averageSessionSeconds() const;
  int totalSessionsCount() const;
  QStringList distinctDaysUsed() const;
  Retention retention() const;

  // How many entries of `days` are not less than `cutoff` as plain text.
  static int countISODatesOnOrAfter(const QStringList& days, const QString& cutoff);

 private:
  struct StoredSession {
    qint64 startedAt;  // whole seconds since 1970
    int durationInSeconds;
  };

  // Runs a step on the scheduler, one step at a time, unless this object is gone.
  Scheduler::Handle post(void (SessionManager::*step)(), std::chrono::nanoseconds delay = {});
  void midnight();
  void load();
  void startNow();
  void resignNow();
  void becomeActiveNow();
  void terminateNow();
  void tick();
  void advance();  // adds the active time since the last update
  void persist();
  void recordToday();
  void armTick();
  void armMidnight();
  void writeHistory();

  std::shared_ptr<ClientStore> store_;
  std::shared_ptr<Scheduler> scheduler_;
  Send send_;
  std::shared_ptr<bool> alive_;
  std::mutex running_;  // one step at a time: the scheduler's, or quit's on its own thread
  mutable std::mutex mutex_;  // the figures others read
  std::vector<StoredSession> sessions_;
  int deleted_ = 0;
  QStringList days_;
  QString firstSessionDate_;
  // The running session; touched only under running_.
  std::optional<qint64> currentStart_;
  int currentIndex_ = -1;  // its record in sessions_, once stored
  double currentDuration_ = 0;
  std::optional<TimePoint> lastUpdate_;
  bool loaded_ = false;
  Scheduler::Handle tick_ = 0;
  Scheduler::Handle midnight_ = 0;
};

}  // namespace analytics
