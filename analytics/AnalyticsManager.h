#pragma once
#include <QDateTime>
#include <memory>

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/ClientStore.h"
#include "analytics/Scheduler.h"
#include "analytics/SessionManager.h"
#include "analytics/SignalManager.h"

namespace analytics {

// The one running client of the process: the configuration, the signal
// manager, the session manager and the client's store. Nothing exists before
// Analytics::initialize; shared() then gives none.
class AnalyticsManager : public std::enable_shared_from_this<AnalyticsManager> {
 public:
  // Where the client keeps its things and how it tells time; defaults for production.
  struct Environment {
    std::shared_ptr<Scheduler> scheduler;  // none: a thread of its own
    std::optional<QString> cacheFile;      // none: CacheFile::defaultPath(); empty: no file
    std::optional<QString> stateFolder;    // none: ClientStore::defaultFolder(); empty: no store
    QString systemRoot = QStringLiteral("/");
  };

  static std::shared_ptr<AnalyticsManager> make(ConfigurationPtr configuration, Environment environment);
  ~AnalyticsManager();
  AnalyticsManager(const AnalyticsManager&) = delete;
  AnalyticsManager& operator=(const AnalyticsManager&) = delete;

  // The stored instance; none before initialize and after terminate.
  static std::shared_ptr<AnalyticsManager> shared();
  static bool isInitialized() { return shared() != nullptr; }
  // The running client's clock, else the wall clock.
  static TimePoint clientNow();
  // Stores `manager` (may be null); returns the one it replaces.
  static std::shared_ptr<AnalyticsManager> exchangeShared(std::shared_ptr<AnalyticsManager> manager);

  ConfigurationPtr configuration() const { return configuration_(); }
  SignalManager& signalManager() { return *signalManager_; }
  SessionManager& sessionManager() { return *sessionManager_; }
  std::shared_ptr<ClientStore> store() const { return store_; }
  Scheduler& scheduler() { return *scheduler_; }

  QString hashedDefaultUser();
  // A new random session identifier for the configuration, which starts a new session.
  void generateNewSession();
  // A later initialize of the same application: its configuration, a new
  // first session after half a second, and sending again if it had stopped.
  void adopt(ConfigurationPtr configuration);
  // True when an immediate sync may run now (none ran within the transmit interval).
  bool claimImmediateSync();

  // Writes what is pending to disk and ends requests (quit).
  void shutdown();

 private:
  AnalyticsManager(ConfigurationPtr configuration, Environment environment);
  void scheduleFirstSession();

  Setting<ConfigurationPtr> configuration_;
  Environment environment_;
  std::shared_ptr<Scheduler> scheduler_;
  std::shared_ptr<ClientStore> store_;
  std::shared_ptr<SessionManager> sessionManager_;
  std::shared_ptr<SignalManager> signalManager_;
  std::mutex syncMutex_;
  std::optional<TimePoint> lastTimeImmediateSyncRequested_;
  int lifecycleToken_ = 0;
  bool ownScheduler_ = false;
};

}  // namespace analytics
