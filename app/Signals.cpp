#include "app/Signals.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

#include "platform/SignalExit.h"

namespace {

int pipeFds[2] = {-1, -1};

void onSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
  errno = saved;
}

// The pipe, then the handlers that write to it.
bool arm() {
  if (pipeFds[0] < 0 && ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
  return true;
}

}  // namespace

Signals::Signals(QObject* parent) : QObject(parent) {}

Signals::~Signals() {
  if (notifier_)
    for (int number : {SIGTERM, SIGINT, SIGHUP}) ::signal(number, SIG_DFL);
}

bool Signals::install(std::function<void(int)> handler) {
  onSignal_ = std::move(handler);
  if (!arm()) return false;
  notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    unsigned char byte = 0;
    while (::read(pipeFds[0], &byte, 1) == 1) {
      if (onSignal_) onSignal_(byte);
    }
  });
  return true;
}

// The watcher lives as long as the process. A plain thread with nothing
// allocated for it: a std::thread's state would still be held when the process
// ends, and the leak checker reports it.
static void* watchForExit(void*) {
  pollfd watch{pipeFds[0], POLLIN, 0};
  unsigned char byte = 0;
  for (;;) {
    if (::poll(&watch, 1, -1) < 0 && errno != EINTR) return nullptr;
    if (::read(pipeFds[0], &byte, 1) == 1) SignalExit::now(128 + byte);
  }
}

bool Signals::exitOnSignal() {
  if (!arm()) return false;
  pthread_t watcher;
  if (pthread_create(&watcher, nullptr, watchForExit, nullptr) != 0) return false;
  pthread_detach(watcher);
  return true;
}

void Signals::exitNow(int code) { SignalExit::now(code); }
