#pragma once
#include <QSet>
#include <QUuid>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "analytics/AnalyticsConfiguration.h"
#include "analytics/CacheFile.h"
#include "analytics/ClientStore.h"
#include "analytics/DefaultSignalPayload.h"
#include "analytics/Scheduler.h"
#include "analytics/SignalCache.h"
#include "analytics/SignalTransport.h"
#include "analytics/SystemFacts.h"

namespace analytics {

// What the facade needs of the working end.
class SignalManageable {
 public:
  virtual ~SignalManageable() = default;
  virtual void processSignal(const QString& type, const Parameters& parameters, std::optional<double> floatValue,
                             const std::optional<QString>& customUserID, const ConfigurationPtr& configuration) = 0;
  virtual void attemptToSendNextBatchOfCachedSignals() = 0;
  virtual QString defaultUserIdentifier() = 0;
};

// The working end of the client: completes each signal into a record, keeps
// it in the cache (mirrored to the cache file), and sends the cache in
// batches of at most 100, one request at a time, with back-off after
// failures. The file always holds what has not been accepted yet, so a
// crash loses at most the last few seconds and a quit nothing.
class SignalManager final : public SignalManageable, public std::enable_shared_from_this<SignalManager> {
 public:
  struct Parts {
    std::shared_ptr<Scheduler> scheduler;
    std::shared_ptr<ClientStore> store;  // may be null
    QString cacheFilePath;               // empty: no file
    SystemFacts system;
    std::function<Retention()> retention;
  };

  // How long a snapshot waits after a change, at the least.
  static constexpr std::chrono::milliseconds kSnapshotDelay{500};
  // How long a request may stay without its completion before it counts as failed.
  static constexpr std::chrono::seconds kWatchdog{75};

  static std::shared_ptr<SignalManager> make(ConfigurationPtr configuration, Parts parts);
  ~SignalManager() override;

  // Returns at once; the record is built on the scheduler. A float value that
  // is not a finite number is refused here, with a log line.
  void processSignal(const QString& type, const Parameters& parameters, std::optional<double> floatValue,
                     const std::optional<QString>& customUserID, const ConfigurationPtr& configuration) override;
  void attemptToSendNextBatchOfCachedSignals() override;
  QString defaultUserIdentifier() override;

  ConfigurationPtr configuration() const { return configuration_(); }
  // The configuration of a later initialize of the same application.
  void setConfiguration(ConfigurationPtr configuration) { configuration_.set(std::move(configuration)); }

  // Quit: every signal not yet accepted, the batch in flight included, goes
  // to the file; requests under way are ended. Any thread.
  void appWillTerminate();
  // Reports turned off: sending stops at once, queue and file are discarded.
  void discardAll();
  // Reports turned on again after discardAll().
  void resume();

  struct Delivery {
    bool delivered = false;
    QString detail;  // what happened, when not delivered
  };
  // Sends everything processed so far without waiting for the timer, and
  // waits at most `timeout` for the outcome. Not for the scheduler's thread.
  Delivery sendNow(std::chrono::milliseconds timeout);

  // Signals not yet accepted: waiting, in flight and not yet built.
  int pendingCount() const;
  // Every signal not yet accepted, built first if need be, oldest first.
  Batch pendingSignals();
  // True while a request is under way.
  bool busy() const { return signalCache_.inFlight(); }

 private:
  struct Incoming {
    QString type;
    Parameters parameters;
    std::optional<double> floatValue;
    std::optional<QString> customUserID;
    ConfigurationPtr configuration;
    TimePoint receivedAt;
    quint64 epoch;
  };

  SignalManager(ConfigurationPtr configuration, Parts parts);
  std::optional<LogHandler> logHandler() const;
  template <class Make>
  void log(LogLevel level, Make make) const {
    logWith(logHandler(), level, make);
  }
  template <class Step>
  void post(Step step, std::chrono::nanoseconds delay = {});

  void ensureLoadedLocked();
  void drainInbox();
  SignalPostBody assemble(const Incoming& in);
  void attemptNow();
  void onAnswer(quint64 generation, const SignalTransport::Answer& answer);
  void onWatchdog(quint64 generation);
  void handleSendSuccess(bool accepted);
  void handleSendFailure(std::optional<double> retryAfter = std::nullopt);
  void scheduleNextTransmission(std::optional<double> retryAfter = std::nullopt);
  void finishOutcome(bool delivered, const QString& detail);
  void changed();
  void snapshot(LogLevel level);
  std::shared_ptr<SignalTransport> transport();

  Setting<ConfigurationPtr> configuration_;
  Parts parts_;
  SignalCache signalCache_;
  CacheFile file_;
  std::shared_ptr<SignalTransport> ownTransport_;

  // Building records: one drain at a time, in arrival order.
  mutable std::mutex inboxMutex_;
  std::vector<Incoming> inbox_;
  std::atomic<int> unassembled_{0};  // taken in, not yet in the cache
  std::mutex assembling_;
  bool loaded_ = false;
  Payload::Base lastBase_;
  std::pair<QString, QString> lastHash_;  // (identifier + salt, hash)
  std::pair<QUuid, QString> lastSession_;
  std::mutex userMutex_;
  QString storedUser_;
  QSet<QString> types_;

  // The send chain; touched on the scheduler only.
  Scheduler::Handle sendTimerSource_ = 0;
  Scheduler::Handle watchdog_ = 0;
  int consecutiveFailures_ = 0;
  int sendCompletions_ = 0;
  int batchLimit_ = SignalCache::maximumNumberOfSignalsToPopAtOnce;
  quint64 generation_ = 0;

  // Stopping: a send and a stop never cross.
  std::mutex sendMutex_;
  std::atomic<bool> stopped_{false};
  std::atomic<bool> terminating_{false};
  std::atomic<quint64> epoch_{0};

  // Snapshots of the pending signals to the file.
  std::mutex persisting_;
  std::atomic<bool> snapshotPending_{false};
  quint64 savedRevision_ = ~0ULL;
  std::atomic<qint64> snapshotDelayNs_{std::chrono::nanoseconds(kSnapshotDelay).count()};

  // Waiting for a delivery (sendNow).
  std::mutex deliveryMutex_;
  std::condition_variable deliveryChanged_;
  quint64 outcomes_ = 0;
  Delivery lastOutcome_;
  std::atomic<int> flushing_{0};
};

}  // namespace analytics
