#include "tests/support/HttpStub.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace testsupport {

namespace {

const char* reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 302: return "Found";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 413: return "Payload Too Large";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

void writeAll(int fd, const QByteArray& data) {
  qsizetype sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.constData() + sent, static_cast<size_t>(data.size() - sent), MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += n;
  }
}

}  // namespace

struct HttpStub::State {
  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  int listenFd = -1;
  quint16 port = 0;
  bool stopping = false;
  std::deque<StubAnswer> queue;
  Script script;
  QList<StubRequest> requests;
  std::vector<int> open;  // connection sockets, shut down on stop
  struct Connection {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> finished;
  };
  std::vector<Connection> connections;
  std::thread acceptor;

  bool stopped() const {
    std::lock_guard lock(mutex);
    return stopping;
  }

  // Reads until `want` holds or the peer goes; polls so a stop is noticed.
  bool readMore(int fd, QByteArray& buffer) const {
    while (!stopped()) {
      pollfd p{fd, POLLIN, 0};
      const int ready = ::poll(&p, 1, 50);
      if (ready < 0) return false;
      if (ready == 0) continue;
      char chunk[16384];
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      buffer.append(chunk, n);
      return true;
    }
    return false;
  }

  bool readRequest(int fd, StubRequest& request) const {
    QByteArray buffer;
    qsizetype headEnd = -1;
    while ((headEnd = buffer.indexOf("\r\n\r\n")) < 0) {
      if (!readMore(fd, buffer)) return false;
    }
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    if (first.size() < 2) return false;
    request.method = first[0];
    request.path = first[1];
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const qsizetype colon = lines[i].indexOf(':');
      if (colon > 0) request.headers.insert(lines[i].left(colon).trimmed().toLower(), lines[i].mid(colon + 1).trimmed());
    }
    if (request.headers.value("expect").toLower() == "100-continue") writeAll(fd, "HTTP/1.1 100 Continue\r\n\r\n");
    const qsizetype length = request.headers.value("content-length", "0").toLongLong();
    QByteArray body = buffer.mid(headEnd + 4);
    while (body.size() < length) {
      if (!readMore(fd, body)) return false;
    }
    request.body = body.left(length);
    return true;
  }

  StubAnswer answerFor(const StubRequest& request) {
    Script current;
    {
      std::lock_guard lock(mutex);
      requests.append(request);
      if (!queue.empty()) {
        StubAnswer answer = queue.front();
        queue.pop_front();
        changed.notify_all();
        return answer;
      }
      current = script;
    }
    changed.notify_all();
    return current ? current(request) : StubAnswer{};
  }

  void serve(int fd) {
    StubRequest request;
    if (readRequest(fd, request)) {
      const StubAnswer answer = answerFor(request);
      {
        std::unique_lock lock(mutex);
        changed.wait_for(lock, answer.delay, [&] { return stopping; });
        if (answer.fault == StubAnswer::Fault::Hang) changed.wait(lock, [&] { return stopping; });
      }
      if (answer.fault == StubAnswer::Fault::None || answer.fault == StubAnswer::Fault::CloseMidBody) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(answer.status) + ' ' + reason(answer.status) + "\r\n";
        head += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\nConnection: close\r\n";
        for (const auto& [name, value] : answer.headers) head += name + ": " + value + "\r\n";
        head += "\r\n";
        if (answer.fault == StubAnswer::Fault::None) {
          writeAll(fd, head + answer.body);
        } else {
          writeAll(fd, head + answer.body.left(answer.body.size() / 2));
        }
      }
    }
    {
      std::lock_guard lock(mutex);
      std::erase(open, fd);
    }
    ::close(fd);
  }

  void acceptLoop() {
    while (!stopped()) {
      pollfd p{listenFd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept(listenFd, nullptr, nullptr);
      if (fd < 0) continue;
      // Finished connections are joined here so a long soak doesn't pile up threads.
      std::erase_if(connections, [](Connection& c) {
        if (!c.finished->load()) return false;
        c.thread.join();
        return true;
      });
      auto finished = std::make_shared<std::atomic<bool>>(false);
      {
        std::lock_guard lock(mutex);
        open.push_back(fd);
      }
      connections.push_back({std::thread([this, fd, finished] {
                               serve(fd);
                               finished->store(true);
                             }),
                             finished});
    }
  }
};

HttpStub::HttpStub(quint16 port) : state_(std::make_shared<State>()) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0) {
    ::close(fd);
    return;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  state_->listenFd = fd;
  state_->port = ntohs(address.sin_port);
  state_->acceptor = std::thread([state = state_.get()] { state->acceptLoop(); });
}

HttpStub::~HttpStub() {
  if (state_->listenFd < 0) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    for (int fd : state_->open) ::shutdown(fd, SHUT_RDWR);
  }
  state_->changed.notify_all();
  state_->acceptor.join();
  ::close(state_->listenFd);
  // No new connection threads after the acceptor ended.
  for (auto& c : state_->connections) c.thread.join();
}

bool HttpStub::listening() const { return state_->listenFd >= 0; }
quint16 HttpStub::port() const { return state_->port; }
QString HttpStub::url() const { return QStringLiteral("http://127.0.0.1:%1/").arg(state_->port); }

void HttpStub::push(const StubAnswer& answer) {
  std::lock_guard lock(state_->mutex);
  state_->queue.push_back(answer);
}

void HttpStub::setScript(Script script) {
  std::lock_guard lock(state_->mutex);
  state_->script = std::move(script);
}

QList<StubRequest> HttpStub::requests() const {
  std::lock_guard lock(state_->mutex);
  return state_->requests;
}

bool HttpStub::waitForRequests(int n, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, timeout, [&] { return state_->requests.size() >= n; });
}

}  // namespace testsupport
