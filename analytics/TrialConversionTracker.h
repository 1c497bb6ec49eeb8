#pragma once
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "analytics/Purchases.h"

namespace analytics {

// The store's stream of transaction updates, each verified or not. No store
// exists on this platform: the application installs none, and the trial
// tracker then follows nothing. `next` blocks until an update comes, and
// gives none when the stream ended or `stop` was requested.
class TransactionUpdates {
 public:
  struct Update {
    Transaction transaction;
    bool verified = true;
  };
  virtual ~TransactionUpdates() = default;
  virtual std::optional<Update> next(std::stop_token stop) = 0;
};

// Follows a free trial until it is paid for, then sends
// "Analytics.Purchase.convertedFromTrial" once; a revoked, expired or
// upgraded trial ends without a signal. The trial is kept in the client's
// store ("lastTrial"); the stream is watched on a thread of its own that a
// new start or the tracker's end stops and joins.
class TrialConversionTracker {
 public:
  struct StoredTrial {
    QString productID;
    quint64 originalTransactionID = 0;
  };

  // Created by the first free-trial purchase of the run; it follows a trial
  // stored by an earlier run at once.
  static TrialConversionTracker& shared();
  static void setTransactionUpdates(std::shared_ptr<TransactionUpdates> updates);

  explicit TrialConversionTracker(std::shared_ptr<TransactionUpdates> updates);
  ~TrialConversionTracker();
  TrialConversionTracker(const TrialConversionTracker&) = delete;
  TrialConversionTracker& operator=(const TrialConversionTracker&) = delete;

  // The stored trial; none without a running client, a record, or a readable one.
  static std::optional<StoredTrial> currentTrial();
  static void setCurrentTrial(const std::optional<StoredTrial>& trial);

  // (Re)starts the watch of the stream, stopping the one before.
  void startObservingTransactions();
  // Stops the watch and waits for it to end.
  void stopObserving();
  // True while the watch runs: it ends by itself once the trial is decided.
  bool observing() const { return running_; }

 private:
  void observe(std::stop_token stop);

  std::shared_ptr<TransactionUpdates> updates_;
  mutable std::mutex mutex_;
  std::jthread transactionUpdateTask_;
  std::atomic<bool> running_{false};
};

}  // namespace analytics
