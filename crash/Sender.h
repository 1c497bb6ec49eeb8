#pragma once
#include <QHash>
#include <QString>
#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "crash/Dsn.h"
#include "crash/PendingStore.h"
#include "crash/RateLimits.h"

namespace net {
class HttpClient;
}

namespace crash {

// Sends stored envelopes one at a time on the HTTP client's worker thread.
// A file goes only when the service took it (2xx) or refused it for good (a
// 4xx other than 429); after a network error or a 5xx it stays for the next
// start, and so does everything queued behind it. Rate-limited categories wait.
class Sender {
 public:
  enum class Outcome { Queued, Accepted, Refused, Kept };

  Sender(const Dsn& dsn, PendingStore& store);
  ~Sender();  // aborts what is in flight; those files stay
  Sender(const Sender&) = delete;
  Sender& operator=(const Sender&) = delete;

  void enqueue(const QString& file);
  // Waits until nothing is left that could be sent now; false when time ran out.
  bool flush(std::chrono::milliseconds timeout);
  // Ends the send in flight and forgets the queue (the files stay).
  void abort();
  Outcome outcome(const QString& file) const;

 private:
  void pump();  // with the lock held
  void finished(const QString& file, int status, const QMap<QByteArray, QByteArray>& headers, bool aborted);
  bool idle() const;  // with the lock held

  const Dsn dsn_;
  PendingStore& store_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<QString> queue_;
  QHash<QString, Outcome> outcomes_;
  RateLimits limits_;
  bool inFlight_ = false;
  bool stopping_ = false;
  // Last member: destroyed first, while the rest still serves its completions.
  std::unique_ptr<net::HttpClient> http_;
};

}  // namespace crash
