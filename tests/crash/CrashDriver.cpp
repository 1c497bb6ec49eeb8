// A small program that uses the crash client and crashes on command, so that
// tests can watch a real process die and the next one report it.
//   crash_driver ACTION
// ACTION: none (start and close), segv, abort, bus, overflow, terminate,
// pool-overflow (a stack overflow on a thread-pool thread), hang (start,
// print "ready", wait to be killed), discard (reports off before start), off
// (reports turned off while running).
// Environment: CRASH_DSN; CRASH_LINGER_MS, how long to wait before the action
// (the session's length); the crash folder is $XDG_CACHE_HOME/tarvok/crash.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "crash/Client.h"
#include "net/HttpClient.h"

namespace {

// Each way of dying has a function of its own that the report must name.
[[gnu::noinline]] void crashBySegv() {
  volatile int* volatile nowhere = nullptr;  // read at run time: the compiler cannot drop the store
  *nowhere = 1;
}

[[gnu::noinline]] void crashByAbort() { std::abort(); }

[[gnu::noinline]] void crashByBus() {
  // Touching a page of a file beyond its end raises SIGBUS.
  char path[] = "/tmp/crash-driver-XXXXXX";
  const int fd = mkstemp(path);
  unlink(path);
  auto* page = static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
  page[0] = 1;
}

// Recurses until the stack runs out; the flag only hides that from the compiler.
volatile bool deeper = true;
[[gnu::noinline]] int crashByOverflow(int depth) {
  volatile char pad[512];
  pad[0] = char(depth);
  return (deeper ? crashByOverflow(depth + 1) : 0) + pad[0];
}

[[gnu::noinline]] void crashByTerminate() { throw std::runtime_error("nobody catches this"); }

}  // namespace

int main(int argc, char** argv) {
  const rlimit noCore{0, 0};  // the tests kill many of us: no core files
  setrlimit(RLIMIT_CORE, &noCore);
  net::initializeGlobal();
  QCoreApplication app(argc, argv);
  const QByteArray action = argc > 1 ? argv[1] : "none";
  crash::Options options;
  options.dsn = qEnvironmentVariable("CRASH_DSN");
  options.release = QStringLiteral("driver@1.0");
  options.environment = QStringLiteral("test");
  options.dir = qEnvironmentVariable("XDG_CACHE_HOME") + QStringLiteral("/tarvok/crash");
  if (action == "discard") {
    crash::Client::discardPending(options.dir);
    return 0;
  }
  crash::Client client;
  if (!client.start(options)) return 3;
  std::puts("ready");
  std::fflush(stdout);
  QThread::msleep(qEnvironmentVariableIntValue("CRASH_LINGER_MS"));
  if (action == "segv") crashBySegv();
  if (action == "abort") crashByAbort();
  if (action == "bus") crashByBus();
  if (action == "overflow") return crashByOverflow(0);
  if (action == "terminate") crashByTerminate();
  if (action == "pool-overflow") {
    QThreadPool::globalInstance()->start([] { crashByOverflow(0); });
    for (;;) pause();
  }
  if (action == "hang") {
    for (;;) pause();
  }
  if (action == "off") {
    client.abandon();
    crash::Client::discardPending(options.dir);
  }
  client.close();
  return 0;
}
