#include "analytics/TrialConversionTracker.h"

#include <QJsonDocument>
#include <QJsonObject>

#include "analytics/Analytics.h"

namespace analytics {

namespace {

Setting<std::shared_ptr<TransactionUpdates>>& installedUpdates() {
  static Setting<std::shared_ptr<TransactionUpdates>> updates;
  return updates;
}

const QString kLastTrial = QStringLiteral("lastTrial");

}  // namespace

TrialConversionTracker& TrialConversionTracker::shared() {
  static TrialConversionTracker* tracker = [] {
    auto* t = new TrialConversionTracker(installedUpdates().get());
    if (currentTrial()) t->startObservingTransactions();
    return t;
  }();
  return *tracker;
}

void TrialConversionTracker::setTransactionUpdates(std::shared_ptr<TransactionUpdates> updates) {
  installedUpdates().set(std::move(updates));
}

TrialConversionTracker::TrialConversionTracker(std::shared_ptr<TransactionUpdates> updates)
    : updates_(std::move(updates)) {}

TrialConversionTracker::~TrialConversionTracker() { stopObserving(); }

std::optional<TrialConversionTracker::StoredTrial> TrialConversionTracker::currentTrial() {
  const std::shared_ptr<ClientStore> store = Analytics::customDefaults();
  if (!store) return std::nullopt;
  const QJsonObject o = store->value(kLastTrial).toObject();
  if (!o.value(QLatin1String("productID")).isString() || !o.value(QLatin1String("originalTransactionID")).isDouble()) {
    return std::nullopt;
  }
  return StoredTrial{o.value(QLatin1String("productID")).toString(),
                     static_cast<quint64>(o.value(QLatin1String("originalTransactionID")).toDouble())};
}

void TrialConversionTracker::setCurrentTrial(const std::optional<StoredTrial>& trial) {
  const std::shared_ptr<ClientStore> store = Analytics::customDefaults();
  if (!store) return;
  store->setValue(kLastTrial, trial ? QJsonValue(QJsonObject{{"productID", trial->productID},
                                                             {"originalTransactionID", qint64(trial->originalTransactionID)}})
                                    : QJsonValue(QJsonValue::Undefined));
}

void TrialConversionTracker::startObservingTransactions() {
  stopObserving();
  std::lock_guard lock(mutex_);
  if (!updates_) return;
  running_ = true;
  transactionUpdateTask_ = std::jthread([this](std::stop_token stop) {
    observe(stop);
    running_ = false;
  });
}

void TrialConversionTracker::stopObserving() {
  std::jthread old;
  {
    std::lock_guard lock(mutex_);
    old = std::move(transactionUpdateTask_);
  }
  if (!old.joinable()) return;
  old.request_stop();
  // A watch that stops itself never waits for itself.
  if (old.get_id() == std::this_thread::get_id()) {
    old.detach();
  } else {
    old.join();
  }
}

void TrialConversionTracker::observe(std::stop_token stop) {
  while (std::optional<TransactionUpdates::Update> update = updates_->next(stop)) {
    if (!update->verified) continue;
    const std::optional<StoredTrial> trial = currentTrial();
    const Transaction& t = update->transaction;
    if (!trial || t.productID != trial->productID || t.originalID != trial->originalTransactionID) continue;
    const bool expired = t.expirationDate && *t.expirationDate < AnalyticsManager::clientNow();
    if (t.revocationDate || expired || t.isUpgraded) {
      setCurrentTrial(std::nullopt);  // the trial ended unpaid
      return;
    }
    if (t.isFreeTrial()) continue;  // still in its trial
    Analytics::internalSignal(QStringLiteral("Analytics.Purchase.convertedFromTrial"), t.purchaseParameters(),
                              t.priceInUSD());
    setCurrentTrial(std::nullopt);
    return;
  }
}

}  // namespace analytics
