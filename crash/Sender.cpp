#include "crash/Sender.h"

#include <QDateTime>
#include <QFile>

#include "crash/Envelope.h"
#include "crash/Event.h"
#include "crash/Log.h"
#include "net/HttpClient.h"

namespace crash {

using namespace std::chrono_literals;

namespace {
qint64 nowMs() { return QDateTime::currentMSecsSinceEpoch(); }
}  // namespace

Sender::Sender(const Dsn& dsn, PendingStore& store)
    : dsn_(dsn), store_(store), http_(std::make_unique<net::HttpClient>()) {}

Sender::~Sender() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  http_.reset();
}

void Sender::enqueue(const QString& file) {
  std::lock_guard lock(mutex_);
  if (stopping_ || file.isEmpty() || outcomes_.value(file, Outcome::Kept) == Outcome::Queued) return;
  outcomes_[file] = Outcome::Queued;
  queue_.push_back(file);
  pump();
}

bool Sender::idle() const {
  if (inFlight_) return false;
  const qint64 now = nowMs();
  // Files of a rate-limited category wait for a later run or a later pump.
  for (const QString& file : queue_) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly) || !limits_.limited(envelope::category(f.read(4096)), now)) return false;
  }
  return true;
}

bool Sender::flush(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return idle(); });
}

void Sender::abort() {
  {
    std::lock_guard lock(mutex_);
    for (const QString& file : queue_) outcomes_[file] = Outcome::Kept;
    queue_.clear();
  }
  http_->abortAll();
}

Sender::Outcome Sender::outcome(const QString& file) const {
  std::lock_guard lock(mutex_);
  return outcomes_.value(file, Outcome::Kept);
}

void Sender::pump() {
  if (inFlight_ || stopping_) return;
  const qint64 now = nowMs();
  for (size_t i = 0; i < queue_.size();) {
    const QString file = queue_[i];
    // Claimed before it is read: the store's trimming leaves it as it is from here.
    store_.setSending(file);
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {  // pushed out of the store meanwhile
      outcomes_[file] = Outcome::Kept;
      queue_.erase(queue_.begin() + std::ptrdiff_t(i));
      continue;
    }
    const QByteArray body = f.readAll();
    if (limits_.limited(envelope::category(body), now)) {
      ++i;
      continue;
    }
    queue_.erase(queue_.begin() + std::ptrdiff_t(i));
    inFlight_ = true;
    net::Request r;
    r.url = dsn_.envelopeUrl();
    r.headers = {{"Content-Type", "application/x-sentry-envelope"},
                 {"X-Sentry-Auth", dsn_.authHeader(sdkName() + QLatin1Char('/') + sdkVersion())},
                 {"User-Agent", (sdkName() + QLatin1Char('/') + sdkVersion()).toUtf8()}};
    r.body = body;
    r.connectTimeout = 5s;
    r.idleTimeout = 10s;
    r.totalTimeout = 30s;
    http_->send(std::move(r), [this, file](const net::Response& response) {
      finished(file, response.status, response.headers, response.aborted);
    });
    return;
  }
  store_.setSending({});
}

void Sender::finished(const QString& file, int status, const QMap<QByteArray, QByteArray>& headers, bool aborted) {
  std::lock_guard lock(mutex_);
  inFlight_ = false;
  store_.setSending({});
  limits_.update(status, headers, nowMs());
  Outcome outcome = Outcome::Kept;
  if (status >= 200 && status < 300) {
    outcome = Outcome::Accepted;
  } else if (status >= 400 && status < 500 && status != 429) {
    outcome = Outcome::Refused;
    qCWarning(lcCrash) << "the service refused a report for good, status" << status;
  } else if (status != 429) {
    // The service is out of reach: everything waits for the next start.
    qCInfo(lcCrash).noquote() << "report kept for later:" << (aborted ? QStringLiteral("aborted") : QStringLiteral("status ") + QString::number(status));
    for (const QString& other : queue_) outcomes_[other] = Outcome::Kept;
    queue_.clear();
  }
  if (outcome != Outcome::Kept) store_.remove(file);
  outcomes_[file] = outcome;
  pump();
  changed_.notify_all();
}

}  // namespace crash
