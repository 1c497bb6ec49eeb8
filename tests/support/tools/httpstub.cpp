// The test HTTP stub as a process of its own, for tests and benches that kill
// and restart the server under a client:
//   httpstub [--port N] [--record FILE] [--fail500 P] [--close-after-body P]
//            [--stall P] [--stall-ms MS] [--seed S]
// It prints its port on the first line of standard output, answers 200 or a
// fault drawn with the given probabilities, appends every request it read whole
// to FILE as one JSON line with the answer it is about to get ("200", "500",
// "closed", "stalled") before answering it, and serves until killed.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#include "tests/support/HttpStub.h"

using testsupport::StubAnswer;
using testsupport::StubRequest;

int main(int argc, char** argv) {
  quint16 port = 0;
  const char* record = nullptr;
  double fail500 = 0, closeAfterBody = 0, stall = 0;
  int stallMs = 30000;
  unsigned seed = std::random_device{}();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const char* value = argv[i + 1];
    if (key == "--port") port = static_cast<quint16>(std::stoi(value));
    else if (key == "--record") record = value;
    else if (key == "--fail500") fail500 = std::stod(value);
    else if (key == "--close-after-body") closeAfterBody = std::stod(value);
    else if (key == "--stall") stall = std::stod(value);
    else if (key == "--stall-ms") stallMs = std::stoi(value);
    else if (key == "--seed") seed = static_cast<unsigned>(std::stoul(value));
    else {
      std::fprintf(stderr, "httpstub: unknown option %s\n", key.c_str());
      return 2;
    }
  }
  const int recordFd = record ? ::open(record, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;

  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);  // before the stub's threads exist

  testsupport::HttpStub stub(port);
  if (!stub.listening()) {
    std::fprintf(stderr, "httpstub: cannot listen on port %u\n", port);
    return 1;
  }
  std::mutex mutex;
  std::mt19937 random(seed);
  stub.setScript([&](const StubRequest& request) {
    std::lock_guard lock(mutex);
    StubAnswer answer;
    QString outcome = QStringLiteral("200");
    const double draw = std::uniform_real_distribution<double>(0, 1)(random);
    if (draw < fail500) {
      answer.status = 500;
      outcome = QStringLiteral("500");
    } else if (draw < fail500 + closeAfterBody) {
      answer.fault = StubAnswer::Fault::CloseBeforeAnswer;
      outcome = QStringLiteral("closed");
    } else if (draw < fail500 + closeAfterBody + stall) {
      answer.delay = std::chrono::milliseconds(stallMs);
      outcome = QStringLiteral("stalled");
    }
    if (recordFd >= 0) {
      QJsonObject headers;
      for (auto it = request.headers.begin(); it != request.headers.end(); ++it)
        headers.insert(QString::fromLatin1(it.key()), QString::fromLatin1(it.value()));
      const QJsonObject line{{"method", QString::fromLatin1(request.method)},
                             {"path", QString::fromLatin1(request.path)},
                             {"headers", headers},
                             {"body", QString::fromLatin1(request.body.toBase64())},
                             {"answer", outcome}};
      const QByteArray text = QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
      [[maybe_unused]] const ssize_t written = ::write(recordFd, text.constData(), static_cast<size_t>(text.size()));
    }
    return answer;
  });
  std::printf("%u\n", stub.port());
  std::fflush(stdout);
  int received = 0;
  sigwait(&stop, &received);
  return 0;
}
