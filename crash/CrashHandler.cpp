#include "crash/CrashHandler.h"

#include <cxxabi.h>
#include <elf.h>
#include <execinfo.h>
#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <sys/stat.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <QDir>
#include <atomic>
#include <cstring>
#include <exception>
#include <limits.h>

#include "crash/SignalStack.h"

// Everything the handler touches is prepared at install and lives in static
// storage: in the handler only async-signal-safe calls and plain memory reads.
namespace {

constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};
constexpr int kMaxFrames = 256;

char dirPath[PATH_MAX];
char header[4096];
size_t headerLength = 0;
struct sigaction previous[sizeof(kSignals) / sizeof(kSignals[0])];
std::terminate_handler previousTerminate = nullptr;
crash::signalstack::Given installerStack;
bool isInstalled = false;

std::atomic<pid_t> handlingThread{0};
std::atomic<bool> terminating{false};
char terminateType[256];

// Text with number formatting and no allocation: buffered write(2) output
// when it has a file, else a fixed string that cuts what does not fit.
struct Out {
  int fd = -1;
  char buffer[2048];
  size_t used = 0;

  void flush() {
    size_t done = 0;
    while (fd >= 0 && done < used) {
      const ssize_t n = ::write(fd, buffer + done, used - done);
      if (n <= 0) break;
      done += size_t(n);
    }
    used = 0;
  }
  void put(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
      if (used == sizeof(buffer) - 1) {
        if (fd < 0) break;
        flush();
      }
      buffer[used++] = text[i];
    }
    buffer[used] = 0;
  }
  void put(const char* text) { put(text, strlen(text)); }
  void hex(uint64_t value) {
    char digits[19] = "0x";
    char reversed[16];
    int n = 0;
    do {
      reversed[n++] = "0123456789abcdef"[value & 15];
      value >>= 4;
    } while (value && n < 16);
    for (int i = 0; i < n; ++i) digits[2 + i] = reversed[n - 1 - i];
    put(digits, size_t(2 + n));
  }
  void dec(int64_t value) {
    char reversed[24];
    int n = 0;
    const bool negative = value < 0;
    uint64_t v = negative ? uint64_t(-(value + 1)) + 1 : uint64_t(value);
    do {
      reversed[n++] = char('0' + v % 10);
      v /= 10;
    } while (v);
    if (negative) put("-", 1);
    for (int i = n - 1; i >= 0; --i) put(&reversed[i], 1);
  }
};

Out out;
Out scratch;  // file names and module lines in the making

uintptr_t instructionPointer(void* context) {
  const auto* uc = static_cast<const ucontext_t*>(context);
  if (!uc) return 0;
#if defined(__x86_64__)
  return uintptr_t(uc->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  return uintptr_t(uc->uc_mcontext.pc);
#else
  return 0;
#endif
}

void writeFrames(uintptr_t pc) {
  static void* frames[kMaxFrames];
  const int count = backtrace(frames, kMaxFrames);
  // backtrace() sees this handler and the kernel's signal trampoline first;
  // the interrupted code starts at the frame whose address is the faulting one.
  int first = -1;
  for (int i = 0; i < count && first < 0; ++i) {
    if (uintptr_t(frames[i]) == pc) first = i;
  }
  if (first < 0) {
    if (pc) {
      out.put("frame ");
      out.hex(pc);
      out.put("\n");
    }
    first = count > 2 ? 3 : count;
  }
  for (int i = first; i < count; ++i) {
    out.put("frame ");
    out.hex(uintptr_t(frames[i]));
    out.put("\n");
  }
}

uint64_t parseHex(const char*& p) {
  uint64_t v = 0;
  for (;; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') v = v * 16 + uint64_t(c - '0');
    else if (c >= 'a' && c <= 'f') v = v * 16 + uint64_t(c - 'a' + 10);
    else return v;
  }
}

// The images' memory is read through a pipe: the kernel copies, and where
// nothing backs the memory (pages of a mapped file past its end, a device's)
// the write fails with EFAULT. Read directly, it would raise SIGBUS or SIGSEGV
// inside the handler, which ends the process before its record is whole.
int copyPipe[2] = {-1, -1};

bool copyOut(void* to, uintptr_t from, size_t n) {
  const ssize_t put = ::write(copyPipe[1], reinterpret_cast<const void*>(from), n);
  size_t got = 0;
  while (put > 0 && got < size_t(put)) {  // what went in comes out, so the pipe stays empty
    const ssize_t r = ::read(copyPipe[0], static_cast<char*>(to) + got, size_t(put) - got);
    if (r <= 0) break;
    got += size_t(r);
  }
  return put == ssize_t(n) && got == n;
}

// The GNU build ID of an ELF image whose first mapping is [start, end), read
// from memory; only addresses inside that mapping are read. False when the
// mapping holds no ELF image (a locale file, say) or cannot be read.
bool writeBuildId(Out& to, uintptr_t start, uintptr_t end, uint64_t* vmaddr) {
  *vmaddr = 0;
  ElfW(Ehdr) eh;
  if (end - start < sizeof(eh) || !copyOut(&eh, start, sizeof(eh)) || memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 ||
      eh.e_phentsize != sizeof(ElfW(Phdr)) || eh.e_phoff + uint64_t(eh.e_phnum) * sizeof(ElfW(Phdr)) > end - start) {
    return false;
  }
  static ElfW(Phdr) ph[64];
  const int count = eh.e_phnum < 64 ? eh.e_phnum : 64;
  if (!copyOut(ph, start + eh.e_phoff, size_t(count) * sizeof(ElfW(Phdr)))) return false;
  uintptr_t bias = start;
  for (int i = 0; i < count; ++i) {
    if (ph[i].p_type == PT_LOAD) {
      *vmaddr = ph[i].p_vaddr & ~uint64_t(0xfff);
      bias = start - uintptr_t(*vmaddr);
      break;
    }
  }
  static unsigned char notes[4096];
  for (int i = 0; i < count; ++i) {
    if (ph[i].p_type != PT_NOTE) continue;
    const uintptr_t at = bias + ph[i].p_vaddr;
    const size_t size = ph[i].p_memsz < sizeof(notes) ? size_t(ph[i].p_memsz) : sizeof(notes);
    if (at < start || at + size > end || !copyOut(notes, at, size)) continue;
    size_t note = 0;
    while (note + sizeof(ElfW(Nhdr)) <= size) {
      ElfW(Nhdr) nh;
      memcpy(&nh, notes + note, sizeof(nh));
      const size_t name = note + sizeof(nh);
      const size_t desc = name + ((nh.n_namesz + 3) & ~3u);
      const size_t next = desc + ((nh.n_descsz + 3) & ~3u);
      if (next > size) break;
      if (nh.n_type == NT_GNU_BUILD_ID && nh.n_namesz == 4 && memcmp(notes + name, "GNU", 4) == 0 && nh.n_descsz > 0) {
        for (uint32_t b = 0; b < nh.n_descsz; ++b) {
          const char pair[2] = {"0123456789abcdef"[notes[desc + b] >> 4], "0123456789abcdef"[notes[desc + b] & 15]};
          to.put(pair, 2);
        }
        return true;
      }
      note = next;
    }
  }
  to.put("-");
  return true;
}

// One "module START END BUILDID VMADDR PATH" line per file-backed image,
// from /proc/self/maps (consecutive mappings of one path form one image).
void writeModules() {
  const int fd = ::open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (pipe2(copyPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    ::close(fd);
    return;
  }
  static char chunk[4096];
  static char line[PATH_MAX + 256];
  static char currentPath[PATH_MAX];
  size_t lineLength = 0;
  uintptr_t currentStart = 0, currentEnd = 0;
  bool have = false;
  // The build ID is read while the image's first mapping is known; it is kept
  // as text until the image's last mapping is seen.
  auto finishImage = [&] {
    if (!have) return;
    out.put("module ");
    out.hex(currentStart);
    out.put(" ");
    out.hex(currentEnd);
    out.put(" ");
    out.put(scratch.buffer, scratch.used);
    out.put(" ");
    out.put(currentPath);
    out.put("\n");
    have = false;
  };
  auto handleLine = [&](char* text) {
    const char* p = text;
    const uintptr_t start = parseHex(p);
    if (*p++ != '-') return;
    const uintptr_t end = parseHex(p);
    if (*p++ != ' ') return;
    const char readable = p[0];
    p += 5;
    const uint64_t offset = parseHex(p);
    for (int field = 0; field < 2 && *p; ++field) {  // device, inode
      while (*p == ' ') ++p;
      while (*p && *p != ' ') ++p;
    }
    while (*p == ' ') ++p;
    const char* path = p;
    if (*path != '/') {
      finishImage();
      return;
    }
    if (have && strcmp(path, currentPath) == 0) {
      currentEnd = end;
      return;
    }
    finishImage();
    if (offset != 0 || readable != 'r') return;  // an image starts with its headers
    have = true;
    currentStart = start;
    currentEnd = end;
    size_t n = strlen(path);
    if (n >= sizeof(currentPath)) n = sizeof(currentPath) - 1;
    memcpy(currentPath, path, n);
    currentPath[n] = 0;
    // "BUILDID VMADDR", read now while the headers' mapping is known.
    scratch.used = 0;
    uint64_t vmaddr = 0;
    if (!writeBuildId(scratch, start, end, &vmaddr)) {
      have = false;
      return;
    }
    scratch.put(" ");
    scratch.hex(vmaddr);
  };
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof(chunk));
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (chunk[i] == '\n') {
        line[lineLength] = 0;
        handleLine(line);
        lineLength = 0;
      } else if (lineLength + 1 < sizeof(line)) {
        line[lineLength++] = chunk[i];
      }
    }
  }
  finishImage();
  ::close(fd);
  ::close(copyPipe[0]);
  ::close(copyPipe[1]);
}

void writeRecord(int number, const siginfo_t* info, void* context) {
  char path[PATH_MAX + 64];
  size_t length = strlen(dirPath);
  memcpy(path, dirPath, length);
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  scratch.used = 0;
  scratch.put("/");
  scratch.dec(now.tv_sec);
  scratch.put("-");
  scratch.dec(now.tv_nsec);
  scratch.put("-");
  scratch.dec(getpid());
  scratch.put(".crash");
  memcpy(path + length, scratch.buffer, scratch.used + 1);
  out.used = 0;
  out.fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out.fd < 0) return;
  out.put(header, headerLength);
  out.put("signal ");
  out.dec(number);
  out.put("\ncode ");
  out.dec(info ? info->si_code : 0);
  out.put("\naddress ");
  out.hex(info ? uintptr_t(info->si_addr) : 0);
  out.put("\ntime ");
  out.dec(now.tv_sec);
  out.put("\n");
  if (number == SIGABRT && terminating.load()) {
    out.put("terminate ");
    out.put(terminateType);
    out.put("\n");
  }
  writeFrames(instructionPointer(context));
  out.flush();  // the frames are on disk before the riskier walk over the module map
  writeModules();
  out.put("end\n");
  out.flush();
  ::fsync(out.fd);
  ::close(out.fd);
  out.fd = -1;
}

void restoreAll() {
  for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) sigaction(kSignals[i], &previous[i], nullptr);
}

void onSignal(int number, siginfo_t* info, void* context) {
  const pid_t self = gettid();
  pid_t expected = 0;
  if (!handlingThread.compare_exchange_strong(expected, self)) {
    if (expected == self) {
      // A fault inside the handler itself: end as the system would.
      restoreAll();
      raise(number);
      return;
    }
    // Another thread is writing its record and will end the process.
    for (;;) pause();
  }
  writeRecord(number, info, context);
  restoreAll();
  // A fault the hardware raised repeats when the handler returns, now with the
  // previous handler in place; a signal that was sent is sent again.
  const bool fault = number == SIGSEGV || number == SIGBUS || number == SIGILL || number == SIGFPE;
  if (!(fault && info && info->si_code > 0)) raise(number);
}

void onTerminate() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  const char* name = type ? type->name() : "";
  size_t n = strlen(name);
  if (n >= sizeof(terminateType)) n = sizeof(terminateType) - 1;
  memcpy(terminateType, name, n);
  terminateType[n] = 0;
  terminating = true;
  if (previousTerminate) previousTerminate();
  abort();
}

}  // namespace

namespace crash::handler {

bool install(const QString& dir, const QByteArray& text) {
  if (isInstalled) return true;
  if (!QDir().mkpath(dir)) return false;
  const QByteArray path = QFile::encodeName(QDir(dir).absolutePath());
  if (size_t(path.size()) >= sizeof(dirPath) || size_t(text.size()) >= sizeof(header)) return false;
  memcpy(dirPath, path.constData(), size_t(path.size()) + 1);
  memcpy(header, text.constData(), size_t(text.size()));
  headerLength = size_t(text.size());
  // The first backtrace() loads the unwinder; it must not happen in the handler.
  void* warm[4];
  backtrace(warm, 4);

  // Started threads get theirs as they start; the main thread was never started that way.
  installerStack = crash::signalstack::give();
  if (!crash::signalstack::present()) return false;

  struct sigaction action {};
  action.sa_sigaction = onSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) sigaction(kSignals[i], &action, &previous[i]);
  terminating = false;
  previousTerminate = std::set_terminate(onTerminate);
  isInstalled = true;
  return true;
}

void uninstall() {
  if (!isInstalled) return;
  for (size_t i = 0; i < sizeof(kSignals) / sizeof(kSignals[0]); ++i) {
    struct sigaction current {};
    sigaction(kSignals[i], nullptr, &current);
    if ((current.sa_flags & SA_SIGINFO) && current.sa_sigaction == onSignal) sigaction(kSignals[i], &previous[i], nullptr);
  }
  if (std::get_terminate() == onTerminate) std::set_terminate(previousTerminate);
  // Left mapped when called on another thread: it may still be in use there.
  crash::signalstack::takeBack(installerStack);
  installerStack = {};
  isInstalled = false;
}

bool installed() { return isInstalled; }

}  // namespace crash::handler
