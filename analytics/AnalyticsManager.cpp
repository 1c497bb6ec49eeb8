#include "analytics/AnalyticsManager.h"

#include <QDir>

#include "analytics/Analytics.h"
#include "analytics/AppLifecycle.h"
#include "analytics/CryptoHashing.h"

namespace analytics {

namespace {

// The process-wide instance.
Setting<std::shared_ptr<AnalyticsManager>>& storage() {
  static Setting<std::shared_ptr<AnalyticsManager>> manager;
  return manager;
}

}  // namespace

std::shared_ptr<AnalyticsManager> AnalyticsManager::shared() { return storage().get(); }

TimePoint AnalyticsManager::clientNow() {
  const auto manager = shared();
  return manager ? manager->scheduler().now() : WallClock::now();
}

std::shared_ptr<AnalyticsManager> AnalyticsManager::exchangeShared(std::shared_ptr<AnalyticsManager> manager) {
  return storage().exchange(std::move(manager));
}

std::shared_ptr<AnalyticsManager> AnalyticsManager::make(ConfigurationPtr configuration, Environment environment) {
  std::shared_ptr<AnalyticsManager> manager(new AnalyticsManager(std::move(configuration), std::move(environment)));
  std::weak_ptr<AnalyticsManager> weak = manager;
  AppLifecycle::Observer observer;
  observer.didResignActive = [weak] {
    if (const auto m = weak.lock()) m->sessionManager_->didResignActive();
  };
  observer.willBecomeActive = [weak] {
    if (const auto m = weak.lock()) m->sessionManager_->willBecomeActive();
  };
  observer.willTerminate = [weak] {
    if (const auto m = weak.lock()) m->shutdown();
  };
  manager->lifecycleToken_ = AppLifecycle::instance().subscribe(std::move(observer));
  manager->scheduleFirstSession();
  return manager;
}

AnalyticsManager::AnalyticsManager(ConfigurationPtr configuration, Environment environment)
    : configuration_(configuration), environment_(std::move(environment)) {
  scheduler_ = environment_.scheduler;
  if (!scheduler_) {
    scheduler_ = std::make_shared<ThreadScheduler>();
    ownScheduler_ = true;
  }
  const QString folder = environment_.stateFolder.value_or(ClientStore::defaultFolder());
  if (!folder.isEmpty()) {
    store_ = std::make_shared<ClientStore>(folder + QLatin1Char('/') +
                                           ClientStore::suiteName(configuration->analyticsAppID()) +
                                           QStringLiteral(".json"));
  }
  sessionManager_ = std::make_shared<SessionManager>(store_, scheduler_, [](const QString& name, const Parameters& p) {
    Analytics::internalSignal(name, p);
  });
  SignalManager::Parts parts;
  parts.scheduler = scheduler_;
  parts.store = store_;
  parts.cacheFilePath = environment_.cacheFile.value_or(CacheFile::defaultPath());
  if (!environment_.cacheFile && parts.cacheFilePath.isEmpty()) {
    configuration->log(LogLevel::error, QStringLiteral("Failed to get disk cache url from FileManager."));
  }
  parts.system = SystemFacts::read(environment_.systemRoot);
  parts.retention = [sessions = sessionManager_] { return sessions->retention(); };
  signalManager_ = SignalManager::make(configuration, std::move(parts));
}

AnalyticsManager::~AnalyticsManager() {
  AppLifecycle::instance().unsubscribe(lifecycleToken_);
  // The thread goes first, so that no task runs while the parts go.
  if (ownScheduler_) static_cast<ThreadScheduler&>(*scheduler_).shutdown();
}

void AnalyticsManager::scheduleFirstSession() {
  std::weak_ptr<AnalyticsManager> weak = weak_from_this();
  scheduler_->post(
      [weak] {
        if (const auto m = weak.lock()) m->generateNewSession();
      },
      std::chrono::milliseconds(500));
}

QString AnalyticsManager::hashedDefaultUser() {
  return CryptoHashing::sha256(signalManager_->defaultUserIdentifier(), configuration()->salt());
}

void AnalyticsManager::generateNewSession() { configuration()->setSessionID(QUuid::createUuid()); }

void AnalyticsManager::adopt(ConfigurationPtr configuration) {
  configuration_.set(configuration);
  signalManager_->setConfiguration(configuration);
  signalManager_->resume();
  scheduleFirstSession();
}

bool AnalyticsManager::claimImmediateSync() {
  const TimePoint now = scheduler_->now();
  std::lock_guard lock(syncMutex_);
  if (lastTimeImmediateSyncRequested_ &&
      std::chrono::duration<double>(now - *lastTimeImmediateSyncRequested_).count() <= configuration()->transmitInterval()) {
    return false;
  }
  lastTimeImmediateSyncRequested_ = now;
  return true;
}

void AnalyticsManager::shutdown() {
  sessionManager_->willTerminate();
  signalManager_->appWillTerminate();
}

}  // namespace analytics
