#pragma once
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

// A real HTTP/1.1 server on 127.0.0.1 for tests of the service clients, with
// scripted answers and faults. It records every request it read whole.
namespace testsupport {

struct StubRequest {
  QByteArray method;
  QByteArray path;  // with the query, as sent
  QMap<QByteArray, QByteArray> headers;  // names in lower case
  QByteArray body;
};

struct StubAnswer {
  enum class Fault {
    None,
    CloseBeforeAnswer,  // reads the request, then closes without a byte
    CloseMidBody,       // sends the head and half the body, then closes
    Hang,               // reads the request and never answers
  };
  int status = 200;
  QList<QPair<QByteArray, QByteArray>> headers;
  QByteArray body;
  std::chrono::milliseconds delay{0};  // before the answer
  Fault fault = Fault::None;
};

class HttpStub {
 public:
  using Script = std::function<StubAnswer(const StubRequest&)>;

  // Port 0 lets the kernel choose; a fixed port serves a restarted stub.
  explicit HttpStub(quint16 port = 0);
  ~HttpStub();  // closes every connection, hanging ones included
  HttpStub(const HttpStub&) = delete;
  HttpStub& operator=(const HttpStub&) = delete;

  bool listening() const;
  quint16 port() const;
  QString url() const;  // "http://127.0.0.1:PORT/"

  // Answers are taken from the queue first, then from the script, else 200 with an empty body.
  void push(const StubAnswer& answer);
  void setScript(Script script);

  QList<StubRequest> requests() const;
  // Waits until at least n requests were recorded.
  bool waitForRequests(int n, std::chrono::milliseconds timeout) const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace testsupport
