#include "analytics/SignalManager.h"

#include <QUuid>
#include <cmath>

#include "analytics/CryptoHashing.h"
#include "analytics/SendRules.h"

namespace analytics {

namespace {

std::chrono::microseconds sinceEpoch(TimePoint t) {
  return std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch());
}

QString upperUuid(const QUuid& id) { return id.toString(QUuid::WithoutBraces).toUpper(); }

}  // namespace

std::shared_ptr<SignalManager> SignalManager::make(ConfigurationPtr configuration, Parts parts) {
  std::shared_ptr<SignalManager> manager(new SignalManager(std::move(configuration), std::move(parts)));
  // The file of the previous run is read on the scheduler, then its signals
  // go out in the first attempt.
  manager->post([](SignalManager& m) {
    {
      std::lock_guard lock(m.assembling_);
      m.ensureLoadedLocked();
    }
    m.attemptNow();
  });
  return manager;
}

SignalManager::SignalManager(ConfigurationPtr configuration, Parts parts)
    : configuration_(configuration),
      parts_(std::move(parts)),
      signalCache_(configuration->cacheLimit(), configuration->swiftUIPreviewMode() ? std::nullopt : configuration->logHandler()),
      file_(parts_.cacheFilePath, configuration->swiftUIPreviewMode() ? std::nullopt : configuration->logHandler()),
      ownTransport_(std::make_shared<HttpTransport>()) {}

SignalManager::~SignalManager() {
  if (ownTransport_) ownTransport_->abortAll();
}

template <class Step>
void SignalManager::post(Step step, std::chrono::nanoseconds delay) {
  std::weak_ptr<SignalManager> weak = weak_from_this();
  parts_.scheduler->post(
      [weak, step] {
        if (const auto self = weak.lock()) step(*self);
      },
      delay);
}

std::optional<LogHandler> SignalManager::logHandler() const { return configuration_()->logHandler(); }

std::shared_ptr<SignalTransport> SignalManager::transport() {
  std::shared_ptr<SignalTransport> t = configuration_()->urlSession();
  return t ? t : ownTransport_;
}

// Signals in -------------------------------------------------------------

void SignalManager::processSignal(const QString& type, const Parameters& parameters, std::optional<double> floatValue,
                                  const std::optional<QString>& customUserID, const ConfigurationPtr& configuration) {
  if (floatValue && !std::isfinite(*floatValue)) {
    // It could never be encoded, and would hold up every batch it joined.
    log(LogLevel::error, [&] { return QStringLiteral("Refused signal %1: its float value is not a finite number").arg(type); });
    return;
  }
  if (stopped_) return;
  bool first = false;
  {
    std::lock_guard lock(inboxMutex_);
    first = inbox_.empty();
    inbox_.push_back({type, parameters, floatValue, customUserID, configuration, parts_.scheduler->now(), epoch_});
    ++unassembled_;
  }
  if (first) post([](SignalManager& m) { m.drainInbox(); });
}

void SignalManager::ensureLoadedLocked() {
  if (loaded_) return;
  loaded_ = true;
  if (!file_.claim()) return;
  Batch loaded = file_.load();
  if (loaded.empty()) return;
  signalCache_.push(std::move(loaded));
  savedRevision_ = signalCache_.revision();  // the file already holds them
}

void SignalManager::drainInbox() {
  std::lock_guard lock(assembling_);
  ensureLoadedLocked();
  std::vector<Incoming> incoming;
  {
    std::lock_guard inboxLock(inboxMutex_);
    incoming.swap(inbox_);
  }
  Batch records;
  records.reserve(incoming.size());
  for (const Incoming& in : incoming) {
    if (in.epoch == epoch_) records.push_back(assemble(in));
  }
  const bool any = !records.empty();
  if (any) signalCache_.push(std::move(records));
  unassembled_ -= static_cast<int>(incoming.size());
  if (any) changed();
}

QString SignalManager::defaultUserIdentifier() {
  if (const std::optional<QString> user = configuration_()->defaultUser()) return *user;
  const auto make = [] { return upperUuid(QUuid::createUuid()); };
  if (!parts_.store) return make();
  // Once stored it never changes: the store is asked once per run.
  std::lock_guard lock(userMutex_);
  if (storedUser_.isEmpty()) storedUser_ = parts_.store->stringOrInsert(QStringLiteral("defaultUserIdentifier"), make);
  return storedUser_;
}

SignalPostBody SignalManager::assemble(const Incoming& in) {
  const AnalyticsManagerConfiguration& config = *in.configuration;
  Parameters payload = DefaultSignalPayload::parameters(parts_.system, HostFacts::current(), in.receivedAt,
                                                        parts_.retention ? parts_.retention() : Retention());
  Parameters enriched;
  for (const std::shared_ptr<SignalEnricher>& enricher : config.metadataEnrichers()) {
    if (enricher) enriched.insert(enricher->enrich(in.type, in.customUserID, in.floatValue));
  }
  payload.insert(enriched);
  payload.insert(in.parameters);

  const QString user = in.customUserID ? *in.customUserID : defaultUserIdentifier();
  const QString salted = user + config.salt();
  if (lastHash_.first != salted || lastHash_.second.isEmpty()) lastHash_ = {salted, CryptoHashing::sha256(salted)};

  SignalPostBody record;
  record.receivedAt = sinceEpoch(in.receivedAt);
  record.appID = config.analyticsAppID();
  record.clientUser = lastHash_.second;
  if (const QUuid session = config.sessionID(); lastSession_.first != session || lastSession_.second.isEmpty()) {
    lastSession_ = {session, upperUuid(session)};
  }
  record.sessionID = lastSession_.second;
  record.type = *types_.insert(in.type);  // one copy of each name
  record.floatValue = in.floatValue;
  Payload::Entries entries;
  entries.reserve(static_cast<size_t>(payload.size()));
  for (auto it = payload.begin(); it != payload.end(); ++it) entries.emplace_back(it.key(), it.value());
  record.payload = Payload::compact(std::move(entries), lastBase_);
  record.isTestMode = config.testMode() ? QStringLiteral("true") : QStringLiteral("false");
  logWith(config.logHandler(), LogLevel::debug,
          [&] { return QStringLiteral("Process signal: ") + SignalCoding::describe(record); });
  return record;
}

// The send chain -----------------------------------------------------------

void SignalManager::attemptToSendNextBatchOfCachedSignals() {
  post([](SignalManager& m) { m.attemptNow(); });
}

void SignalManager::attemptNow() {
  if (stopped_ || terminating_) return;
  // One request at a time: the one in flight schedules the next attempt.
  if (signalCache_.inFlight()) return;
  drainInbox();
  log(LogLevel::debug, [&] { return QStringLiteral("Current signal cache count: %1").arg(signalCache_.count()); });
  const Batch batch = signalCache_.takeBatch(batchLimit_);
  if (batch.empty()) {
    handleSendSuccess(false);
    if (flushing_) finishOutcome(true, {});
    return;
  }
  log(LogLevel::info, [&] {
    return QStringLiteral("Sending %1 signals leaving a cache of %2 signals").arg(batch.size()).arg(signalCache_.count());
  });
  const std::optional<QByteArray> body = SignalCoding::encode(batch, SignalCoding::DateForm::wire);
  if (!body) {
    log(LogLevel::error, [] { return QStringLiteral("Failed to encode signal batch: a float value is not a finite number"); });
    handleSendFailure();
    return;
  }
  const ConfigurationPtr config = configuration_();
  const std::optional<QString> url = SendRules::serviceUrl(config->apiBaseURL(), config->namespaceName());
  if (!url) {
    log(LogLevel::error, [&] {
      return QStringLiteral("Unable to construct signal API URL for namespace ") +
             config->namespaceName().value_or(QStringLiteral("nil"));
    });
    log(LogLevel::error, [] { return QStringLiteral("Invalid endpoint URL"); });
    handleSendFailure();
    finishOutcome(false, QStringLiteral("Invalid endpoint URL"));
    return;
  }
  log(LogLevel::debug, [&] { return QString::fromUtf8(*body); });

  std::lock_guard lock(sendMutex_);
  if (stopped_ || terminating_) return;  // the batch stays pending for the file
  const quint64 generation = ++generation_;
  std::weak_ptr<SignalManager> weak = weak_from_this();
  std::weak_ptr<Scheduler> scheduler = parts_.scheduler;
  // The completion holds nothing strongly: it may run on the HTTP client's
  // thread after this manager is gone.
  transport()->post(*url, *body, [weak, scheduler, generation](const SignalTransport::Answer& answer) {
    if (const auto s = scheduler.lock()) {
      s->post([weak, generation, answer] {
        if (const auto self = weak.lock()) self->onAnswer(generation, answer);
      });
    }
  });
  watchdog_ = parts_.scheduler->post(
      [weak, generation] {
        if (const auto self = weak.lock()) self->onWatchdog(generation);
      },
      kWatchdog);
}

void SignalManager::onWatchdog(quint64 generation) {
  if (generation != generation_ || !signalCache_.inFlight()) return;
  // The transport never reported back: count it as a failure so that sending goes on.
  ++generation_;
  log(LogLevel::error, [] { return QStringLiteral("Send request never completed; will try again later"); });
  handleSendFailure();
  finishOutcome(false, QStringLiteral("no answer"));
}

void SignalManager::onAnswer(quint64 generation, const SignalTransport::Answer& answer) {
  if (generation != generation_ || !signalCache_.inFlight()) return;  // ended by a stop or the watchdog
  parts_.scheduler->cancel(watchdog_);
  const int size = signalCache_.inFlightCount();
  if (answer.aborted && (stopped_ || terminating_)) {
    signalCache_.settle(SignalCache::Outcome::requeueFront);
    return;
  }
  if (answer.status == 0) {
    log(LogLevel::error, [&] { return answer.error.isEmpty() ? QStringLiteral("No response") : answer.error; });
    handleSendFailure();
    finishOutcome(false, QStringLiteral("no answer (%1)").arg(answer.error));
    return;
  }
  using Kind = SendRules::Disposition::Kind;
  const SendRules::Disposition d = SendRules::disposition(answer.status);
  switch (d.kind) {
    case Kind::accept:
      log(LogLevel::debug, [&] { return QString::fromUtf8(answer.body); });
      signalCache_.settle(SignalCache::Outcome::done);
      handleSendSuccess(true);
      finishOutcome(true, {});
      break;
    case Kind::tooLarge:
      if (size > 1) {
        // Smaller batches may pass: the same signals go again, in halves.
        batchLimit_ = std::max(1, size / 2);
        log(LogLevel::info, [&] { return QStringLiteral("Batch of %1 too large; sending %2 at a time").arg(size).arg(batchLimit_); });
        signalCache_.settle(SignalCache::Outcome::requeueFront);
        handleSendSuccess(false);
        break;
      }
      [[fallthrough]];
    case Kind::drop:
      log(LogLevel::error, [&] { return QStringLiteral("Dropping %1 signal(s): rejected by server %2").arg(size).arg(d.reason); });
      signalCache_.settle(SignalCache::Outcome::done);
      handleSendSuccess(false);
      finishOutcome(false, QStringLiteral("rejected by server ") + d.reason);
      break;
    case Kind::retry:
      log(LogLevel::debug, [&] { return QStringLiteral("Failed to send events (status %1), will try again later").arg(answer.status); });
      handleSendFailure(SendRules::retryAfter(answer.headers.value("retry-after"), parts_.scheduler->now()));
      finishOutcome(false, QStringLiteral("HTTP %1").arg(answer.status));
      break;
  }
  changed();
}

void SignalManager::handleSendSuccess(bool accepted) {
  ++sendCompletions_;
  consecutiveFailures_ = 0;
  if (accepted) batchLimit_ = std::min(SignalCache::maximumNumberOfSignalsToPopAtOnce, batchLimit_ * 2);
  scheduleNextTransmission();
}

void SignalManager::handleSendFailure(std::optional<double> retryAfter) {
  signalCache_.settle(SignalCache::Outcome::requeueBack);
  ++sendCompletions_;
  ++consecutiveFailures_;
  scheduleNextTransmission(retryAfter);
}

void SignalManager::scheduleNextTransmission(std::optional<double> retryAfter) {
  parts_.scheduler->cancel(sendTimerSource_);
  sendTimerSource_ = 0;
  if (stopped_ || terminating_) return;
  const ConfigurationPtr config = configuration_();
  std::chrono::nanoseconds delay = SendRules::nextDelay(config->transmitInterval(), config->maxBackoffInterval(),
                                                        consecutiveFailures_, retryAfter);
  if (flushing_ && consecutiveFailures_ == 0 && signalCache_.count() > 0) delay = {};
  std::weak_ptr<SignalManager> weak = weak_from_this();
  sendTimerSource_ = parts_.scheduler->post(
      [weak] {
        if (const auto self = weak.lock()) self->attemptNow();
      },
      delay);
}

// Stopping ----------------------------------------------------------------

void SignalManager::appWillTerminate() {
  log(LogLevel::debug, [] { return QStringLiteral("appWillTerminate()"); });
  {
    std::lock_guard lock(sendMutex_);
    terminating_ = true;
  }
  drainInbox();
  snapshot(LogLevel::info);
  transport()->abortAll();
  if (ownTransport_) ownTransport_->abortAll();
  file_.release();
}

void SignalManager::discardAll() {
  {
    std::lock_guard lock(sendMutex_);
    stopped_ = true;
  }
  transport()->abortAll();
  ownTransport_->abortAll();
  {
    std::lock_guard lock(assembling_);
    ensureLoadedLocked();
    ++epoch_;
    std::lock_guard inboxLock(inboxMutex_);
    unassembled_ -= static_cast<int>(inbox_.size());
    inbox_.clear();
  }
  std::lock_guard persist(persisting_);
  signalCache_.clear();
  file_.remove();
  savedRevision_ = signalCache_.revision();
  finishOutcome(false, QStringLiteral("reports turned off"));
}

void SignalManager::resume() {
  if (!stopped_.exchange(false)) return;
  post([](SignalManager& m) {
    m.consecutiveFailures_ = 0;
    m.attemptNow();
  });
}

// The file mirror -----------------------------------------------------------

void SignalManager::changed() {
  if (snapshotPending_.exchange(true)) return;
  post([](SignalManager& m) { m.snapshot(LogLevel::debug); }, std::chrono::nanoseconds(snapshotDelayNs_.load()));
}

void SignalManager::snapshot(LogLevel level) {
  std::lock_guard persist(persisting_);
  snapshotPending_ = false;
  if (stopped_) return;
  const quint64 revision = signalCache_.revision();
  if (revision == savedRevision_) return;
  const auto started = std::chrono::steady_clock::now();
  if (file_.save(signalCache_.pending(), level)) savedRevision_ = revision;
  // A large cache is written less often: at most a twentieth of the time goes to it.
  snapshotDelayNs_ = std::max<std::chrono::nanoseconds>(kSnapshotDelay, 20 * (std::chrono::steady_clock::now() - started)).count();
}

// Delivery ------------------------------------------------------------------

void SignalManager::finishOutcome(bool delivered, const QString& detail) {
  {
    std::lock_guard lock(deliveryMutex_);
    ++outcomes_;
    lastOutcome_ = {delivered, detail};
  }
  deliveryChanged_.notify_all();
}

SignalManager::Delivery SignalManager::sendNow(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  ++flushing_;
  std::unique_lock lock(deliveryMutex_);
  Delivery result{false, QStringLiteral("no answer within %1 ms").arg(timeout.count())};
  for (;;) {
    const quint64 seen = outcomes_;
    lock.unlock();
    attemptToSendNextBatchOfCachedSignals();
    lock.lock();
    if (!deliveryChanged_.wait_until(lock, deadline, [&] { return outcomes_ != seen; })) break;
    if (!lastOutcome_.delivered) {
      result = lastOutcome_;
      break;
    }
    if (pendingCount() == 0) {
      result = {true, {}};
      break;
    }
  }
  --flushing_;
  return result;
}

Batch SignalManager::pendingSignals() {
  drainInbox();
  return signalCache_.pending();
}

int SignalManager::pendingCount() const {
  return signalCache_.count() + signalCache_.inFlightCount() + unassembled_;
}

}  // namespace analytics
