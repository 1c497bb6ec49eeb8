// Crash reporting, measured:
//   build/bench/crash_bench [rounds]
// 1. Delivery after restart: for each way of dying (SIGSEGV, SIGABRT, SIGBUS,
//    stack overflow) the crash driver dies `rounds` times; after each death the
//    next start must deliver one fatal event of that signal plus the "crashed"
//    session to a stub service. Also: a SIGKILLed run must come back "abnormal".
// 2. What close() adds to quitting: with the service answering, refusing
//    connections, or hanging (the bound), and what start() costs with one
//    crash file to turn into a report (symbol lookup included).
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "crash/Client.h"
#include "net/HttpClient.h"
#include "tests/crash/Driver.h"

using namespace std::chrono_literals;
using testsupport::HttpStub;
using testsupport::StubAnswer;

namespace {

int countBodies(const HttpStub& stub, const QByteArray& a, const QByteArray& b = {}) {
  int n = 0;
  for (const auto& r : stub.requests()) n += r.body.contains(a) && r.body.contains(b);
  return n;
}

void clearCrashDir() { QDir(crashtest::crashDir()).removeRecursively(); }

struct Stats {
  double median = 0, max = 0;
};

Stats stats(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

crash::Options options(const QString& dsn) {
  crash::Options o;
  o.dsn = dsn;
  o.release = QStringLiteral("bench@1");
  o.environment = QStringLiteral("test");
  o.dir = crashtest::crashDir();
  return o;
}

// close() on a client whose service answers as `answer` says; milliseconds.
double timeClose(const StubAnswer* answer, bool serviceUp) {
  clearCrashDir();
  quint16 port = 0;
  std::unique_ptr<HttpStub> stub = std::make_unique<HttpStub>();
  port = stub->port();
  if (!serviceUp) stub.reset();
  crash::Client client;
  client.start(options(QStringLiteral("http://pub@127.0.0.1:%1/1").arg(port)));
  client.delivered(QStringLiteral("-"), 3s);  // the session's start is out of the way
  if (stub && answer) stub->setScript([answer](const testsupport::StubRequest&) { return *answer; });
  QElapsedTimer t;
  t.start();
  client.close();
  return double(t.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  net::initializeGlobal();
  const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
  QTemporaryDir home;
  qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toUtf8());
  qputenv("QT_LOGGING_RULES", "tarvok.crash.info=false");

  std::printf("delivery after restart, %d rounds each\n", rounds);
  struct Way {
    const char* action;
    const char* name;
  };
  for (const Way w : {Way{"segv", "\"SIGSEGV\""}, Way{"abort", "\"SIGABRT\""}, Way{"bus", "\"SIGBUS\""},
                      Way{"overflow", "\"SIGSEGV\""}}) {
    int died = 0, delivered = 0, crashed = 0;
    for (int i = 0; i < rounds; ++i) {
      clearCrashDir();
      HttpStub stub;
      const crashtest::Exit e = crashtest::runDriver(w.action, crashtest::dsnFor(stub));
      died += e.signal != 0;
      crashtest::runDriver("none", crashtest::dsnFor(stub));
      delivered += countBodies(stub, "\"signalhandler\"", w.name) == 1;
      crashed += countBodies(stub, "\"status\":\"crashed\"") == 1;
    }
    std::printf("  %-9s died by signal %d/%d, fatal event delivered %d/%d (%.0f %%), crashed session %d/%d\n", w.action,
                died, rounds, delivered, rounds, 100.0 * delivered / rounds, crashed, rounds);
  }
  int abnormal = 0;
  for (int i = 0; i < rounds; ++i) {
    clearCrashDir();
    HttpStub stub;
    QProcess p;
    crashtest::startHanging(p, crashtest::dsnFor(stub));
    p.kill();
    p.waitForFinished();
    crashtest::runDriver("none", crashtest::dsnFor(stub));
    abnormal += countBodies(stub, "\"status\":\"abnormal\"") == 1;
  }
  std::printf("  SIGKILL   abnormal session delivered %d/%d\n", abnormal, rounds);

  std::printf("time close() adds to quitting, 15 runs each (ms: median / max)\n");
  const StubAnswer hang{200, {}, {}, 0ms, StubAnswer::Fault::Hang};
  const StubAnswer slow{200, {}, {}, 300ms, StubAnswer::Fault::None};
  struct Case {
    const char* label;
    const StubAnswer* answer;
    bool up;
  };
  for (const Case c : {Case{"service answers", nullptr, true}, Case{"service answers after 300 ms", &slow, true},
                       Case{"nothing listens", nullptr, false}, Case{"service hangs", &hang, true}}) {
    std::vector<double> ms;
    for (int i = 0; i < 15; ++i) ms.push_back(timeClose(c.answer, c.up));
    const Stats s = stats(ms);
    std::printf("  %-30s %8.1f / %8.1f\n", c.label, s.median, s.max);
  }

  std::vector<double> startMs;
  for (int i = 0; i < 15; ++i) {
    clearCrashDir();
    HttpStub stub;
    crashtest::runDriver("segv", crashtest::dsnFor(stub));
    crash::Client client;
    QElapsedTimer t;
    t.start();
    client.start(options(crashtest::dsnFor(stub)));
    startMs.push_back(double(t.nsecsElapsed()) / 1e6);
  }
  const Stats s = stats(startMs);
  std::printf("start() with one crash file to report (ms: median / max) %8.1f / %8.1f\n", s.median, s.max);
  return 0;
}
