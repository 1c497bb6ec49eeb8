// Hot-key latency: from handing a key press to xdotool until onPress runs.
// Needs an X server; run it inside the private test session:
//   tests/support/xsession <build>/bench/hotkey_bench [presses]
// (with the project's build directory, e.g. build/bench/hotkey_bench).
// One xdotool process reads commands from stdin for the whole run and sends
// each combination without its default pause between keys, so neither process
// start-up nor xdotool's pacing is part of what is measured. Also reported:
// when the raw X key press reached this process, to separate the server's and
// xdotool's share from ours.
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "core/HotKeyCenter.h"

namespace {

// Notes when the press of one keycode arrives, before any other filter sees it.
class ArrivalClock : public QAbstractNativeEventFilter {
 public:
  ArrivalClock(const QElapsedTimer& clock, uint8_t keycode) : clock_(clock), keycode_(keycode) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_key_press_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_KEY_PRESS && event->detail == keycode_ && arrivedNs < 0)
      arrivedNs = clock_.nsecsElapsed();
    return false;
  }
  qint64 arrivedNs = -1;

 private:
  const QElapsedTimer& clock_;
  uint8_t keycode_;
};

bool waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
  return values[index];
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr, "hotkey_bench needs an X server: run it under tests/support/xsession\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication app(argc, argv);
  const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;

  HotKeyCenter center;
  int fired = 0;
  QElapsedTimer clock;
  clock.start();
  qint64 firedNs = -1;
  center.onPress = [&] {
    ++fired;
    firedNs = clock.nsecsElapsed();
  };
  const Shortcut shortcut = Shortcut::defaultShortcut();
  if (!center.registerShortcut(shortcut)) {
    std::fprintf(stderr, "could not register Ctrl+Shift+2\n");
    return 1;
  }
  ArrivalClock arrival(clock, uint8_t(*shortcut.xKeycode()));
  app.installNativeEventFilter(&arrival);

  QProcess xdotool;
  xdotool.start("xdotool", {"-"});
  if (!xdotool.waitForStarted()) {
    std::fprintf(stderr, "xdotool did not start\n");
    return 1;
  }
  // A first press outside the measurement warms up xdotool's keymap lookups.
  xdotool.write("key --delay 0 ctrl+shift+2\n");
  if (!waitFor([&] { return fired == 1; }, 5000)) {
    std::fprintf(stderr, "the hot key never fired\n");
    return 1;
  }

  std::vector<double> toPress, toArrival;
  for (int i = 0; i < presses; ++i) {
    // Let the release of the previous press go through first.
    waitFor([] { return false; }, 30);
    const int before = fired;
    arrival.arrivedNs = -1;
    const qint64 sentNs = clock.nsecsElapsed();
    xdotool.write("key --delay 0 ctrl+shift+2\n");
    if (!waitFor([&] { return fired > before; }, 5000)) {
      std::fprintf(stderr, "press %d never fired\n", i + 1);
      return 1;
    }
    toPress.push_back(double(firedNs - sentNs) / 1e6);
    if (arrival.arrivedNs >= 0) toArrival.push_back(double(arrival.arrivedNs - sentNs) / 1e6);
  }
  xdotool.closeWriteChannel();
  xdotool.waitForFinished(3000);

  std::printf("hot key latency over %d presses (xdotool stdin -> onPress)\n", presses);
  std::printf("  onPress:        median %.2f ms, p95 %.2f ms, max %.2f ms\n", percentile(toPress, 0.5),
              percentile(toPress, 0.95), percentile(toPress, 1.0));
  if (!toArrival.empty()) {
    std::printf("  X event arrives: median %.2f ms, p95 %.2f ms\n", percentile(toArrival, 0.5),
                percentile(toArrival, 0.95));
  }
  return 0;
}
