#include "net/HttpClient.h"

#include <curl/curl.h>
#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace net {

namespace {

struct Job {
  Request request;
  HttpClient::Done done;
  unsigned long long epoch = 0;  // abortAll() ends every job of an older epoch
};

size_t collectBody(char* data, size_t size, size_t count, void* user) {
  static_cast<Response*>(user)->body.append(data, static_cast<qsizetype>(size * count));
  return size * count;
}

size_t collectHeader(char* data, size_t size, size_t count, void* user) {
  auto* response = static_cast<Response*>(user);
  const QByteArray line = QByteArray(data, static_cast<qsizetype>(size * count)).trimmed();
  // A new status line (after "100 Continue", say) starts the headers afresh.
  if (line.startsWith("HTTP/")) {
    response->headers.clear();
  } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
    response->headers.insert(line.left(colon).trimmed().toLower(), line.mid(colon + 1).trimmed());
  }
  return size * count;
}

}  // namespace

void initializeGlobal() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct HttpClient::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Job> queue;
  bool busy = false;
  bool stopping = false;
  unsigned long long epoch = 0;
  CURLM* multi = nullptr;
  std::thread worker;

  bool aborted(const Job& job) {
    std::lock_guard lock(mutex);
    return job.epoch < epoch;
  }

  void run() {
    // A peer closing a TLS connection must not kill the process with SIGPIPE.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
    for (;;) {
      Job job;
      {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return stopping || !queue.empty(); });
        if (queue.empty()) return;
        job = std::move(queue.front());
        queue.pop_front();
        busy = true;
      }
      Response response;
      if (aborted(job)) {
        response.aborted = true;
        response.error = QStringLiteral("aborted");
      } else {
        perform(job, response);
      }
      if (job.done) job.done(response);
      {
        std::lock_guard lock(mutex);
        busy = false;
      }
      changed.notify_all();
    }
  }

  void perform(const Job& job, Response& response) {
    const Request& r = job.request;
    CURL* easy = curl_easy_init();
    if (!easy) {
      response.error = QStringLiteral("no transfer handle");
      return;
    }
    const QByteArray url = r.url.toUtf8();
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : r.headers) headers = curl_slist_append(headers, (name + ": " + value).constData());
    // Without this libcurl waits for "100 Continue" on larger bodies.
    headers = curl_slist_append(headers, "Expect:");
    curl_easy_setopt(easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, r.method.constData());
    if (r.method == "POST" || r.method == "PUT" || !r.body.isEmpty()) {
      curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
      curl_easy_setopt(easy, CURLOPT_POSTFIELDS, r.body.constData());
    } else if (r.method == "HEAD") {
      curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    }
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(r.connectTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(r.totalTimeout.count()));
    // libcurl measures stalls in whole seconds.
    const long idleSeconds = std::max<long>(1, static_cast<long>((r.idleTimeout.count() + 999) / 1000));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, idleSeconds);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, collectBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &response);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &response);

    curl_multi_add_handle(multi, easy);
    CURLcode result = CURLE_OK;
    for (;;) {
      int running = 0;
      curl_multi_perform(multi, &running);
      if (running == 0) {
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
          if (message->msg == CURLMSG_DONE && message->easy_handle == easy) result = message->data.result;
        }
        break;
      }
      if (aborted(job)) {
        response.aborted = true;
        break;
      }
      curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    if (response.aborted) {
      response.error = QStringLiteral("aborted");
    } else if (result != CURLE_OK) {
      response.error = QString::fromUtf8(curl_easy_strerror(result));
    } else {
      long status = 0;
      curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
      response.status = static_cast<int>(status);
    }
    if (response.status == 0) {
      response.headers.clear();
      response.body.clear();
    }
    curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
  }
};

HttpClient::HttpClient() : state_(std::make_shared<State>()) {
  initializeGlobal();
  state_->multi = curl_multi_init();
  state_->worker = std::thread([state = state_.get()] { state->run(); });
}

HttpClient::~HttpClient() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
    ++state_->epoch;
  }
  state_->changed.notify_all();
  curl_multi_wakeup(state_->multi);
  state_->worker.join();
  curl_multi_cleanup(state_->multi);
}

void HttpClient::send(Request request, Done done) {
  {
    std::lock_guard lock(state_->mutex);
    state_->queue.push_back(Job{std::move(request), std::move(done), state_->epoch});
  }
  state_->changed.notify_all();
}

bool HttpClient::flush(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, timeout, [&] { return state_->queue.empty() && !state_->busy; });
}

void HttpClient::abortAll() {
  {
    std::lock_guard lock(state_->mutex);
    ++state_->epoch;
  }
  state_->changed.notify_all();
  curl_multi_wakeup(state_->multi);
}

}  // namespace net
