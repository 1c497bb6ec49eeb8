// Resident memory of the real tray program around full-HD captures, as a user
// makes them, on a private X session of 1920 x 1080 (tests/support/xsession:
// Xvfb, openbox, trayer): a window of dense 12 px text covers the screen, the
// hot key (xdotool) opens the frozen screen and a drag from corner to corner
// picks all of it, ten times, each once the last one is on the clipboard and
// the toast has settled. A thread reads VmRSS from /proc every second, until
// 60 s after the last capture; then a capture after that idle minute shows
// what it costs, and one right after it what the same costs warm, under the
// same load (three such pairs, each after a minute of its own: --cycles N).
//
// Printed: the table of (seconds since the program started, RSS), the peak
// (VmHWM, and the highest sample), RSS at 30 s and 60 s after the last
// capture, and each capture's time (mouse-up to "capture.done" in the
// program's log) with the processor time the program spent meanwhile.
//
// Run: build/bench/mem_bench [path/to/tarvok] [--columns N] [--cycles N]   (default: the
// tarvok beside the bench folder, one column of lines across the screen; it
// starts its own X session). With --save-page FILE it only saves the page,
// for timing `tarvok -read FILE` alone; --log FILE keeps the program's log.
#include <unistd.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/PrefStore.h"
#include "bench/x_picture.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kCaptures = 10;
constexpr int kAfterSeconds = 60;

bool waitFor(const std::function<bool()>& done, int ms = 60000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(2);
  }
  return true;
}

void xdotool(const QStringList& args) {
  QProcess p;
  p.start(QStringLiteral("xdotool"), args);
  p.waitForFinished(10000);
}

// Columns of prose in 12 px DejaVu Sans, a line every 15 px: a screen as
// full of small text as a document viewer or a terminal shows.
QImage page(int columns) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  p.setFont(font);
  p.setPen(QColor(20, 20, 20));
  const QStringList words = QStringLiteral(
                                "the report order number shipping address budget meeting notes approved hiring plan "
                                "moves next month contact support questions quarterly review before Friday please "
                                "confirm attached invoice total amount due payment terms customer account balance "
                                "delivery window warehouse stock level product catalogue price list discount valid "
                                "until March June September December 2024 417 8810 3.5% version release build")
                                .split(QLatin1Char(' '));
  QRandomGenerator random(7);
  const QFontMetrics metrics(font);
  const int gutter = 30, margin = 20;
  const int columnWidth = (kWidth - 2 * margin - (columns - 1) * gutter) / columns;
  for (int c = 0; c < columns; ++c) {
    const int x = margin + c * (columnWidth + gutter);
    for (int y = 40; y < kHeight - 10; y += 15) {
      QString line;
      for (;;) {
        const QString next = line.isEmpty() ? words[int(random.bounded(words.size()))]
                                            : line + QLatin1Char(' ') + words[int(random.bounded(words.size()))];
        if (metrics.horizontalAdvance(next) > columnWidth) break;
        line = next;
      }
      p.drawText(x, y, line);
    }
  }
  return image;
}

// One "Name:  value kB" line of /proc/<pid>/status, in MB; -1 when unreadable.
double statusMb(qint64 pid, const char* name) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%lld/status", static_cast<long long>(pid));
  FILE* f = std::fopen(path, "r");
  if (!f) return -1;
  char line[256];
  double mb = -1;
  const size_t length = std::strlen(name);
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, name, length) == 0 && line[length] == ':') {
      mb = std::atof(line + length + 1) / 1024.0;
      break;
    }
  }
  std::fclose(f);
  return mb;
}

// The processor seconds (user and system) the process has spent.
double cpuSeconds(qint64 pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return 0;
  const QByteArray text = stat.readAll();
  const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return 0;
  return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

class Program {
 public:
  explicit Program(const QString& exe) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* d : {"config", "state", "cache", "data"})
      env.insert(QStringLiteral("XDG_%1_HOME").arg(QString::fromLatin1(d).toUpper()), dir_.path() + "/" + d);
    PrefStore(dir_.path() + QStringLiteral("/config/tarvok/tarvok.conf")).setBool(QStringLiteral("onboarded"), true);
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tarvok.*.debug=true"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    process_.setProcessEnvironment(env);
    QObject::connect(&process_, &QProcess::readyReadStandardError, [this] { log_ += process_.readAllStandardError(); });
    process_.start(exe, {});
    process_.waitForStarted();
  }
  ~Program() {
    process_.terminate();
    process_.waitForFinished(5000);
  }
  qint64 pid() const { return process_.processId(); }
  bool running() const { return process_.state() == QProcess::Running; }
  int count(const char* text) const { return int(log_.count(text)); }
  const QByteArray& log() const { return log_; }

 private:
  QTemporaryDir dir_;
  QProcess process_;
  QByteArray log_;
};

struct Sample {
  double at;  // seconds since the program started
  double rss;
};

// Reads VmRSS every second on a thread of its own, so that a wait for the
// program or xdotool never delays a sample.
class Sampler {
 public:
  Sampler(qint64 pid, const QElapsedTimer& clock) : pid_(pid), clock_(clock) {
    thread_ = std::thread([this] {
      qint64 next = 0;
      while (!stop_) {
        const double rss = statusMb(pid_, "VmRSS");
        {
          std::lock_guard lock(mutex_);
          samples_.push_back({double(clock_.elapsed()) / 1000.0, rss});
        }
        next += 1000;
        while (!stop_ && clock_.elapsed() < next) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    });
  }
  ~Sampler() { stop(); }
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<Sample> samples() {
    std::lock_guard lock(mutex_);
    return samples_;
  }

 private:
  qint64 pid_;
  const QElapsedTimer& clock_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Sample> samples_;
  std::thread thread_;
};

struct Capture {
  double endsAt = 0;  // seconds since the program started
  double seconds = 0;
  double cpu = 0;
};

// The hot key, a drag over the whole screen, and the wait for the result:
// from the mouse-up to "capture.done" in the log.
bool capture(Program& program, const QElapsedTimer& clock, Capture& out) {
  const int overlays = program.count("overlay up");
  const int done = program.count("capture.done");
  xdotool({"key", "ctrl+shift+2"});
  if (!waitFor([&] { return program.count("overlay up") > overlays; }, 10000)) return false;
  xdotool({"mousemove", "1", "1", "mousedown", "1", "mousemove", "900", "500", "mousemove", QString::number(kWidth - 2),
           QString::number(kHeight - 2)});
  const double cpu = cpuSeconds(program.pid());
  QElapsedTimer t;
  t.start();
  xdotool({"mouseup", "1"});
  if (!waitFor([&] { return program.count("capture.done") > done; }, 120000)) return false;
  out.seconds = double(t.nsecsElapsed()) / 1e9;
  out.cpu = cpuSeconds(program.pid()) - cpu;
  out.endsAt = double(clock.elapsed()) / 1000.0;
  return true;
}

double rssAt(const std::vector<Sample>& samples, double at) {
  for (const Sample& s : samples)
    if (s.at >= at) return s.rss;
  return samples.empty() ? -1 : samples.back().rss;
}

QByteArray clipboard() {
  QProcess p;
  p.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-o"});
  p.waitForFinished(5000);
  return p.readAllStandardOutput();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("TARVOK_XSESSION_MODE")) {
    // Into a private full-HD X session of its own, with a window manager and a tray.
    setenv("TARVOK_XSESSION_SCREEN", "1920x1080x24", 1);
    const QByteArray session = TARVOK_SOURCE_DIR "/tests/support/xsession";
    std::vector<char*> args{const_cast<char*>(session.constData()), const_cast<char*>("--plain")};
    for (int i = 0; i < argc; ++i) args.push_back(argv[i]);
    args.push_back(nullptr);
    execv(session.constData(), args.data());
    std::perror("xsession");
    return 1;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);  // this process only draws pictures
  QGuiApplication app(argc, argv);
  QString exe = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tarvok"));
  int columns = 1, cycles = 3;
  QString save, logPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--columns") == 0 && i + 1 < argc)
      columns = std::clamp(std::atoi(argv[++i]), 1, 6);
    else if (std::strcmp(argv[i], "--cycles") == 0 && i + 1 < argc)
      cycles = std::clamp(std::atoi(argv[++i]), 1, 20);
    else if (std::strcmp(argv[i], "--save-page") == 0 && i + 1 < argc)
      save = QString::fromLocal8Bit(argv[++i]);
    else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc)
      logPath = QString::fromLocal8Bit(argv[++i]);
    else
      exe = QString::fromLocal8Bit(argv[i]);
  }
  if (!save.isEmpty()) return page(columns).save(save) ? 0 : 1;
  std::printf("program: %s; %d column(s) of 12 px text\n", qPrintable(exe), columns);

  Picture doc(page(columns), QPoint(0, 0));
  QElapsedTimer clock;
  clock.start();
  Program program(exe);
  Sampler sampler(program.pid(), clock);
  std::printf("pid %lld\n", static_cast<long long>(program.pid()));
  std::fflush(stdout);
  if (!waitFor([&] { return program.count("registered") > 0; }, 20000)) {
    std::fprintf(stderr, "the program did not come up:\n%s\n", program.log().constData());
    return 1;
  }
  QThread::sleep(10);  // the warm-up ends
  const double idle = statusMb(program.pid(), "VmRSS");

  // Ten captures one after another, the idle minute (sampled), then
  // `cycles` times a capture after an idle minute and one right after it,
  // under the same load: timings on a busy machine vary from one capture to
  // the next, the pairs' ratios much less.
  std::vector<Capture> captures;
  for (int i = 0; i < kCaptures + 2 * cycles; ++i) {
    if (i >= kCaptures && (i - kCaptures) % 2 == 0) {
      // A moment past the minute: the hot key's frozen screen is no part of the +60 s sample.
      const double until = captures.back().endsAt + kAfterSeconds + 1.5;
      while (double(clock.elapsed()) / 1000.0 < until) QThread::msleep(100);
    }
    Capture c;
    if (!capture(program, clock, c)) {
      std::fprintf(stderr, "capture %d did not end:\n%s\n", i + 1, program.log().right(4000).constData());
      return 1;
    }
    captures.push_back(c);
    if (i == 0) std::printf("first capture: %lld characters on the clipboard\n", static_cast<long long>(clipboard().size()));
    QThread::msleep(1500);  // the toast and the marker settle, as between real captures
  }
  const double peak = statusMb(program.pid(), "VmHWM");
  if (!logPath.isEmpty()) {
    QFile log(logPath);
    if (log.open(QIODevice::WriteOnly)) log.write(program.log());
  }
  sampler.stop();
  const std::vector<Sample> samples = sampler.samples();
  const double last = captures[kCaptures - 1].endsAt;

  std::printf("\n   t (s)   RSS (MB)\n");
  size_t next = 0;
  for (const Sample& s : samples) {
    if (s.at > last + kAfterSeconds + 0.5) break;
    QByteArray mark;
    while (next < captures.size() && captures[next].endsAt <= s.at) mark += " <- capture " + QByteArray::number(++next);
    std::printf("  %6.1f   %7.1f%s\n", s.at, s.rss, mark.constData());
  }
  double sampledPeak = 0;
  for (const Sample& s : samples) sampledPeak = std::max(sampledPeak, s.rss);
  std::printf("\nidle after the warm-up: %.0f MB\n", idle);
  std::printf("peak: %.0f MB (VmHWM), %.0f MB sampled\n", peak, sampledPeak);
  std::printf("after the last capture: %.0f MB at +30 s, %.0f MB at +60 s\n", rssAt(samples, last + 30),
              rssAt(samples, last + kAfterSeconds));
  std::printf("\ncapture  seconds  cpu-s\n");
  for (size_t i = 0; i < captures.size(); ++i) {
    const bool later = i >= size_t(kCaptures);
    std::printf("  %2zu     %6.2f  %6.2f%s\n", i + 1, captures[i].seconds, captures[i].cpu,
                i == 0                                    ? "  (first)"
                : later && (i - kCaptures) % 2 == 0 ? "  (after an idle minute)"
                : later                                   ? "  (right after that one)"
                                                          : "");
  }
  std::vector<double> following, ratios;
  for (int i = 1; i < kCaptures; ++i) following.push_back(captures[size_t(i)].seconds);
  for (size_t i = kCaptures; i + 1 < captures.size(); i += 2) ratios.push_back(captures[i].seconds / captures[i + 1].seconds);
  auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  std::printf("right after another: median %.2f s (captures 2-%d); after an idle minute against the capture right "
              "after it: ratio",
              median(following), kCaptures);
  for (double r : ratios) std::printf(" %.2fx", r);
  std::printf(", median %.2fx\n", median(ratios));
  return program.running() ? 0 : 1;
}
