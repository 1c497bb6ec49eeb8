#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

namespace analytics {

// How the client posts a batch: the shared HTTP client in production.
class SignalTransport {
 public:
  struct Answer {
    int status = 0;  // 0: no HTTP answer
    QMap<QByteArray, QByteArray> headers;  // lower-case names
    QByteArray body;
    QString error;
    bool aborted = false;
  };
  using Done = std::function<void(const Answer&)>;

  virtual ~SignalTransport() = default;
  // POSTs `body` as JSON to `url`; `done` runs exactly once, on any thread.
  virtual void post(const QString& url, const QByteArray& body, Done done) = 0;
  // Ends every request under way; their completions report aborted.
  virtual void abortAll() = 0;
};

// The production transport over the shared libcurl client: connect, idle and
// total timeouts, no redirects, the system's CA store and proxy variables.
class HttpTransport final : public SignalTransport {
 public:
  HttpTransport();
  ~HttpTransport() override;
  void post(const QString& url, const QByteArray& body, Done done) override;
  void abortAll() override;

  static constexpr std::chrono::seconds kTotalTimeout{60};

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace analytics
