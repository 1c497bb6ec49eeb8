#include "analytics/SessionManager.h"

#include <QDateTime>
#include <QJsonObject>
#include <cmath>

namespace analytics {

namespace {

qint64 wholeSeconds(TimePoint t) {
  return std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count();
}

}  // namespace

SessionManager::SessionManager(std::shared_ptr<ClientStore> store, std::shared_ptr<Scheduler> scheduler, Send send)
    : store_(std::move(store)), scheduler_(std::move(scheduler)), send_(std::move(send)), alive_(std::make_shared<bool>(true)) {
  post(&SessionManager::load);
}

SessionManager::~SessionManager() {
  scheduler_->cancel(tick_);
  scheduler_->cancel(midnight_);
}

Scheduler::Handle SessionManager::post(void (SessionManager::*step)(), std::chrono::nanoseconds delay) {
  std::weak_ptr<bool> alive = alive_;
  return scheduler_->post(
      [this, alive, step] {
        if (!alive.lock()) return;
        std::lock_guard run(running_);
        (this->*step)();
      },
      delay);
}

// At once, so that the new-install signal goes before the session's own.
void SessionManager::startNewSession() {
  std::lock_guard run(running_);
  startNow();
}
void SessionManager::didResignActive() { post(&SessionManager::resignNow); }
void SessionManager::willBecomeActive() { post(&SessionManager::becomeActiveNow); }
// Quit does not wait for the scheduler: the process is about to end.
void SessionManager::willTerminate() {
  std::lock_guard run(running_);
  terminateNow();
}

void SessionManager::load() {
  if (loaded_) return;
  loaded_ = true;
  const TimePoint now = scheduler_->now();
  std::vector<StoredSession> kept;
  int removed = 0;
  if (store_) {
    const qint64 limit = wholeSeconds(now - kRetention);
    for (const QJsonValue& v : store_->value(QStringLiteral("recentSessions")).toArray()) {
      const QJsonObject o = v.toObject();
      if (!o.value(QLatin1String("st")).isDouble() || !o.value(QLatin1String("dn")).isDouble()) continue;
      const StoredSession s{static_cast<qint64>(o.value(QLatin1String("st")).toDouble()),
                            o.value(QLatin1String("dn")).toInt()};
      if (s.startedAt > limit) {
        kept.push_back(s);
      } else {
        ++removed;
      }
    }
  }
  {
    std::lock_guard lock(mutex_);
    sessions_ = std::move(kept);
    if (store_) {
      deleted_ = store_->value(QStringLiteral("deletedSessionsCount")).toInt() + removed;
      days_ = store_->value(QStringLiteral("distinctDaysUsed")).toVariant().toStringList();
      firstSessionDate_ = store_->value(QStringLiteral("firstSessionDate")).toString();
    }
  }
  if (store_ && removed > 0) {
    store_->setValue(QStringLiteral("deletedSessionsCount"), deleted_);
    writeHistory();
  }
  recordToday();
  armMidnight();
}

void SessionManager::startNow() {
  load();
  // The session that ends keeps its last duration.
  if (currentStart_) {
    advance();
    persist();
  }
  scheduler_->cancel(tick_);
  const TimePoint now = scheduler_->now();
  // A new install is one that never stored its first day; an empty history
  // alone (90 days away) is a returning user.
  QString firstDay;
  {
    std::lock_guard lock(mutex_);
    if (firstSessionDate_.isEmpty()) firstSessionDate_ = firstDay = DefaultSignalPayload::localDay(now);
  }
  if (!firstDay.isEmpty()) {
    if (store_) store_->setValue(QStringLiteral("firstSessionDate"), firstDay);
    send_(QStringLiteral("Analytics.Acquisition.newInstallDetected"),
          {{QStringLiteral("Analytics.Acquisition.firstSessionDate"), firstDay}});
  }
  currentStart_ = wholeSeconds(now);
  currentIndex_ = -1;
  currentDuration_ = 0;
  lastUpdate_ = now;
  armTick();
}

void SessionManager::resignNow() {
  advance();
  lastUpdate_.reset();
  scheduler_->cancel(tick_);
  tick_ = 0;
  persist();
}

void SessionManager::becomeActiveNow() {
  if (!currentStart_) return;
  if (!lastUpdate_) lastUpdate_ = scheduler_->now();
  recordToday();
  armTick();
}

void SessionManager::terminateNow() {
  if (!currentStart_) return;
  advance();
  persist();
}

void SessionManager::tick() {
  advance();
  persist();
  armTick();
}

void SessionManager::advance() {
  if (!lastUpdate_) return;
  const TimePoint now = scheduler_->now();
  currentDuration_ += std::chrono::duration<double>(now - *lastUpdate_).count();
  lastUpdate_ = now;
}

void SessionManager::persist() {
  if (!currentStart_ || currentDuration_ < 1.0) return;
  const int seconds = static_cast<int>(std::floor(currentDuration_));
  {
    std::lock_guard lock(mutex_);
    if (currentIndex_ < 0) {
      sessions_.push_back({*currentStart_, seconds});
      currentIndex_ = static_cast<int>(sessions_.size()) - 1;
    } else if (sessions_[static_cast<size_t>(currentIndex_)].durationInSeconds == seconds) {
      return;
    } else {
      sessions_[static_cast<size_t>(currentIndex_)].durationInSeconds = seconds;
    }
  }
  writeHistory();
}

void SessionManager::writeHistory() {
  if (!store_) return;
  QJsonArray array;
  {
    std::lock_guard lock(mutex_);
    for (const StoredSession& s : sessions_) array.append(QJsonObject{{"st", s.startedAt}, {"dn", s.durationInSeconds}});
  }
  store_->setValue(QStringLiteral("recentSessions"), array);
}

void SessionManager::recordToday() {
  const QString today = DefaultSignalPayload::localDay(scheduler_->now());
  QStringList days;
  {
    std::lock_guard lock(mutex_);
    if (!days_.isEmpty() && days_.constLast() == today) return;
    days_.append(today);
    days = days_;
  }
  if (store_) store_->setValue(QStringLiteral("distinctDaysUsed"), QJsonArray::fromStringList(days));
}

void SessionManager::armTick() {
  scheduler_->cancel(tick_);
  tick_ = post(&SessionManager::tick, kPersistEvery);
}

void SessionManager::armMidnight() {
  // A run across midnight records the new day when it comes, active or not.
  const QDateTime now = QDateTime::fromMSecsSinceEpoch(
      std::chrono::duration_cast<std::chrono::milliseconds>(scheduler_->now().time_since_epoch()).count(),
      Qt::LocalTime);
  const QDateTime next(now.date().addDays(1), QTime(0, 0, 1), Qt::LocalTime);
  midnight_ = post(&SessionManager::midnight, std::chrono::milliseconds(std::max<qint64>(1000, now.msecsTo(next))));
}

void SessionManager::midnight() {
  recordToday();
  armMidnight();
}

int SessionManager::averageSessionSeconds() const {
  std::lock_guard lock(mutex_);
  if (sessions_.empty()) return -1;
  if (sessions_.size() == 1) return sessions_.front().durationInSeconds;
  qint64 sum = 0;
  for (size_t i = 0; i + 1 < sessions_.size(); ++i) sum += sessions_[i].durationInSeconds;
  return static_cast<int>(sum / static_cast<qint64>(sessions_.size() - 1));
}

int SessionManager::totalSessionsCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(sessions_.size()) + deleted_;
}

QStringList SessionManager::distinctDaysUsed() const {
  std::lock_guard lock(mutex_);
  return days_;
}

Retention SessionManager::retention() const {
  Retention r;
  r.averageSessionSeconds = averageSessionSeconds();
  r.totalSessionsCount = totalSessionsCount();
  std::lock_guard lock(mutex_);
  r.firstSessionDate = firstSessionDate_;
  r.distinctDaysUsed = days_;
  if (sessions_.size() >= 2) r.previousSessionSeconds = sessions_[sessions_.size() - 2].durationInSeconds;
  return r;
}

int SessionManager::countISODatesOnOrAfter(const QStringList& days, const QString& cutoff) {
  return static_cast<int>(std::count_if(days.begin(), days.end(), [&](const QString& d) { return d >= cutoff; }));
}

}  // namespace analytics
