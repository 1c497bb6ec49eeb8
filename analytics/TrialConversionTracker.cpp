#include "analytics/TrialConversionTracker.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "analytics/Analytics.h"

namespace analytics {

namespace {

Setting<std::shared_ptr<TransactionUpdates>>& installedUpdates() {
  static Setting<std::shared_ptr<TransactionUpdates>> updates;
  return updates;
}

const QString kLastTrial = QStringLiteral("lastTrial");

// The identifier is kept as text: a JSON number reads back as a double, which
// holds integers exactly only up to 2^53. Earlier versions wrote a 64-bit
// integer (its bits as a signed one), which still reads back whole.
std::optional<quint64> transactionID(const QJsonValue& stored) {
  if (stored.isString()) {
    bool ok = false;
    const quint64 id = stored.toString().toULongLong(&ok);
    return ok ? std::optional(id) : std::nullopt;
  }
  if (!stored.isDouble() || stored.toDouble() != std::floor(stored.toDouble())) return std::nullopt;
  return static_cast<quint64>(stored.toInteger());
}

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
  const std::optional<quint64> id = transactionID(o.value(QLatin1String("originalTransactionID")));
  if (!o.value(QLatin1String("productID")).isString() || !id) return std::nullopt;
  return StoredTrial{o.value(QLatin1String("productID")).toString(), *id};
}

void TrialConversionTracker::setCurrentTrial(const std::optional<StoredTrial>& trial) {
  const std::shared_ptr<ClientStore> store = Analytics::customDefaults();
  if (!store) return;
  store->setValue(kLastTrial, trial ? QJsonValue(QJsonObject{{"productID", trial->productID},
                                                             {"originalTransactionID", QString::number(trial->originalTransactionID)}})
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
