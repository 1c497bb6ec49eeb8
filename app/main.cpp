// tarvok: turns any part of the screen into text.
#include <malloc.h>

#include <QApplication>
#include <QLoggingCategory>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "app/AppDelegate.h"
#include "core/Console.h"
#include "app/Environment.h"
#include "app/Signals.h"
#include "app/SingleInstance.h"
#include "app/Switches.h"
#include "core/Reporting.h"
#include "net/HttpClient.h"
#include "platform/Relaunch.h"
#include "platform/SignalExit.h"
#include "recognition/engines/HugePages.h"

namespace {
// How long the tray program's exit waits for recognitions in flight.
constexpr int kQuitBoundMs = 750;

// The heap's limits, fixed instead of grown by what is freed. Left to grow,
// they reached tens of megabytes after a full-HD capture (its images are
// that large), and then each of the twenty-odd thread heaps the engines had
// run on kept that much free but resident at its end, where trimming the
// heaps does not reach: 240-260 MB held for good after captures, against
// 130-140 MB so (the engines cooled down either way), and a capture's peak
// 40-60 MB lower, in about the same time (`tarvok -read` of such a page,
// median of 4: 5.1 s against 5.2 s). Blocks from 4 MB are mapped on their
// own and go back as they are freed.
void boundHeaps() {
  mallopt(M_MMAP_THRESHOLD, 4 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 20);
}
}  // namespace

int main(int argc, char** argv) {
  Environment::ensureThreadLimit(argv);
  boundHeaps();             // before any thread exists
  net::initializeGlobal();  // likewise
  ocr::useHugePagesForLargeMatrices();  // likewise
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const switches::Choice choice = switches::parse(argc, argv);
  if (choice.mode == switches::Mode::help) {
    std::fputs(switches::usage().toUtf8().constData(), stdout);
    return 0;
  }
  if (choice.mode == switches::Mode::invalid) {
    console::error(choice.problem);
    std::fputs(switches::usage().toUtf8().constData(), stderr);
    return 2;
  }
  const bool console = switches::isConsole(choice.mode);
  // From here a console switch ends at once on a signal, with 128 + its
  // number (130 for Ctrl+C), whatever it is busy with.
  if (console) Signals::exitOnSignal();
  Environment::preferOffscreenForConsole(console, args);
  if (const QString missing = Environment::missingDisplay(args); !missing.isEmpty()) {
    console::error(missing);
    return 1;
  }

  Environment::PlatformStart starting;
  QApplication app(argc, argv);
  starting.finish();
  QApplication::setApplicationName(QStringLiteral("tarvok"));
  QApplication::setQuitOnLastWindowClosed(false);
  // A signal ends the tray program through its Quit; a console switch ends at
  // once (see above), its report session stored as a clean exit on the way.
  Signals stop;
  if (!console) stop.install([](int) { QCoreApplication::quit(); });
  if (console) SignalExit::atExit([] { Reporting::endNow(); });
  if (console) console::quietPlatformNotices();

  // One copy per user and display; the console modes run beside it.
  SingleInstance instance(SingleInstance::defaultName(), SingleInstance::defaultDir());
  if (!console) {
    // A relaunch starts us while the copy that started us still runs.
    if (const qint64 from = qEnvironmentVariableIntValue(Relaunch::kRelaunchedFrom); from > 0) {
      SingleInstance::waitForExit(from, 5000);
      qunsetenv(Relaunch::kRelaunchedFrom);
    }
    switch (instance.claim()) {
      case SingleInstance::Role::first:
        break;
      case SingleInstance::Role::handedOver:
        return 0;
      case SingleInstance::Role::failed:
        std::fputs("tarvok: another copy is running but does not answer\n", stderr);
        return 1;
    }
  }

  AppDelegate delegate;
  instance.onReopen = [&delegate] { delegate.reopen(); };
  delegate.launch(choice);
  const int code = app.exec();
  // A recognition still running is waited for only so long: its result would
  // be dropped anyway, and a logout does not wait.
  if (!console && !delegate.finishWithin(kQuitBoundMs)) Signals::exitNow(code);
  return code;
}
