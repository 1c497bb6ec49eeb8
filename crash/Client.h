#pragma once
#include <QMap>
#include <QString>
#include <chrono>
#include <memory>

namespace crash {

struct Options {
  QString dsn;
  QString release;      // "name@version"
  QString environment;  // "production", "test"
  QString dir;          // crash files, session markers, pending envelopes
  bool crashHandler = true;
  bool autoSessions = true;
  int maxPending = 30;  // events, and session updates apart
  std::chrono::milliseconds closeTimeout{2000};
};

// The crash-reporting client. start() reports what earlier runs left behind
// (crash files become fatal events with a "crashed" session; a session that
// was never closed becomes "abnormal"), opens this run's session and installs
// the crash handler. Everything to send is stored first and sent in the
// background; close() ends the session and waits a bounded time.
class Client {
 public:
  Client();
  ~Client();  // close()
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  // False, with one log line, when the DSN is unusable: the client stays off.
  bool start(const Options& options);
  bool started() const;

  // Queues a message event; the stored envelope's path (empty when off).
  QString captureMessage(const QString& message, const QString& level, const QMap<QString, QString>& tags);
  // Waits until what was queued has been dealt with, at most `timeout`;
  // true when `file` (from captureMessage) was accepted by the service.
  bool delivered(const QString& file, std::chrono::milliseconds timeout);

  // Session "exited", a flush bounded by the close timeout, handlers restored.
  void close();
  // The same without waiting for the network, for a process about to end at
  // once: the "exited" update is stored and goes at the next start.
  void closeNow();
  // Stops at once without sending anything more: what is in flight is cut
  // off, the session is not closed on the service, handlers are restored
  // (reports turned off).
  void abandon();

  // Deletes crash files, envelopes and sessions of ended runs not sent yet (reports turned off).
  static void discardPending(const QString& dir);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace crash
