#pragma once
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

// A small HTTP client for the service clients: requests run one after another
// on a worker thread of the client's own, never on the caller's thread, so a
// slow or dead server can't stall the interface. Every request ends in exactly
// one completion, also on timeout, abort and shutdown.
namespace net {

struct Request {
  QByteArray method = "POST";
  QString url;
  QList<QPair<QByteArray, QByteArray>> headers;
  QByteArray body;
  std::chrono::milliseconds connectTimeout{10000};
  // No byte moving in either direction for this long ends the request.
  std::chrono::milliseconds idleTimeout{20000};
  // Hard cap on the whole exchange.
  std::chrono::milliseconds totalTimeout{60000};
};

struct Response {
  int status = 0;  // 0: no HTTP answer (network error, timeout, abort)
  QMap<QByteArray, QByteArray> headers;  // names in lower case
  QByteArray body;
  QString error;  // what went wrong when status is 0
  bool aborted = false;

  bool ok() const { return status >= 200 && status < 300; }
};

class HttpClient {
 public:
  using Done = std::function<void(const Response&)>;

  HttpClient();
  // Aborts what is in flight and queued (each completion still runs) and joins the worker.
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // Queues a request. `done` runs once, on the worker thread.
  void send(Request request, Done done);
  // Waits until everything queued so far has completed; false when the time ran out.
  bool flush(std::chrono::milliseconds timeout);
  // Ends the request in flight and everything queued; their completions report aborted.
  void abortAll();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// Once per process, before any thread that might use the network exists.
void initializeGlobal();

}  // namespace net
