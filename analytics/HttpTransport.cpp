#include "analytics/SignalTransport.h"

#include "net/HttpClient.h"

namespace analytics {

struct HttpTransport::Impl {
  net::HttpClient client;
};

HttpTransport::HttpTransport() : impl_(std::make_unique<Impl>()) {}
HttpTransport::~HttpTransport() = default;

void HttpTransport::post(const QString& url, const QByteArray& body, Done done) {
  net::Request request;
  request.method = "POST";
  request.url = url;
  request.headers = {{"Content-Type", "application/json"}};
  request.body = body;
  request.connectTimeout = std::chrono::seconds(10);
  request.idleTimeout = std::chrono::seconds(20);
  request.totalTimeout = kTotalTimeout;
  impl_->client.send(std::move(request), [done = std::move(done)](const net::Response& r) {
    done(Answer{r.status, r.headers, r.body, r.error, r.aborted});
  });
}

void HttpTransport::abortAll() { impl_->client.abortAll(); }

}  // namespace analytics
