#include "crash/SignalStack.h"

#include <dlfcn.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace crash::signalstack {

namespace {

// What the handler needs (its buffers are static) plus room for the unwinder.
size_t usableSize() {
  const long minimum = sysconf(_SC_SIGSTKSZ);
  return size_t(minimum > 0 ? minimum : SIGSTKSZ) + 128 * 1024;
}

size_t pageSize() { return size_t(sysconf(_SC_PAGESIZE)); }

// The stack sits above a guard page: a handler that outgrows it faults
// instead of writing over whatever lies below.
void* map(size_t usable) {
  void* base = mmap(nullptr, usable + pageSize(), PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return nullptr;
  mprotect(base, pageSize(), PROT_NONE);
  return static_cast<char*>(base) + pageSize();
}

void unmap(void* stack, size_t usable) { munmap(static_cast<char*>(stack) - pageSize(), usable + pageSize()); }

}  // namespace

Given give() {
  Given given;
  if (sigaltstack(nullptr, &given.previous) != 0) return given;
  // One in place that is big enough stays; a smaller one (a sanitizer's) is put back at the end.
  if (!(given.previous.ss_flags & SS_DISABLE) && given.previous.ss_size >= usableSize()) return given;
  stack_t ours{};
  ours.ss_size = usableSize();
  ours.ss_sp = map(ours.ss_size);
  if (!ours.ss_sp) return given;
  if (sigaltstack(&ours, nullptr) != 0) {
    unmap(ours.ss_sp, ours.ss_size);
    return given;
  }
  given.ours = ours.ss_sp;
  given.size = ours.ss_size;
  return given;
}

void takeBack(const Given& given) {
  if (!given.ours) return;
  stack_t current{};
  // Left alone when another stack took its place, or while the handler runs on it.
  if (sigaltstack(nullptr, &current) != 0 || current.ss_sp != given.ours || (current.ss_flags & SS_ONSTACK)) return;
  if (sigaltstack(&given.previous, nullptr) == 0) unmap(given.ours, given.size);
}

bool present() {
  stack_t current{};
  return sigaltstack(nullptr, &current) == 0 && !(current.ss_flags & SS_DISABLE);
}

}  // namespace crash::signalstack

// Every thread of the process starts through here.
namespace {

using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

struct Start {
  void* (*routine)(void*);
  void* arg;
};

// Freed when the thread's function returns, and when the thread ends by
// pthread_exit or cancellation, which unwind through here too.
struct ThreadStack {
  const crash::signalstack::Given given = crash::signalstack::give();
  ~ThreadStack() { crash::signalstack::takeBack(given); }
};

void* startThread(void* raw) {
  const Start start = *static_cast<Start*>(raw);
  delete static_cast<Start*>(raw);
  ThreadStack stack;
  return start.routine(start.arg);
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*routine)(void*), void* arg) noexcept {
  static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
  if (!next) return EAGAIN;
  auto* start = new (std::nothrow) Start{routine, arg};
  if (!start) return EAGAIN;
  const int error = next(thread, attr, startThread, start);
  if (error != 0) delete start;
  return error;
}
