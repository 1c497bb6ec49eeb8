// tarvok: turns any part of the screen into text.
#include <QApplication>
#include <QLoggingCategory>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

#include "app/AppDelegate.h"
#include "app/Environment.h"
#include "app/Signals.h"
#include "app/SingleInstance.h"
#include "app/Switches.h"
#include "net/HttpClient.h"
#include "platform/Relaunch.h"

int main(int argc, char** argv) {
  Environment::ensureThreadLimit(argv);
  net::initializeGlobal();  // before any thread exists
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
  const switches::Choice choice = switches::parse(args);
  if (choice.mode == switches::Mode::help) {
    std::fputs(switches::usage().toUtf8().constData(), stdout);
    return 0;
  }
  const bool console = switches::isConsole(choice.mode);
  Environment::preferOffscreenForConsole(console);

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarvok"));
  QApplication::setQuitOnLastWindowClosed(false);

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
  Signals stop;
  stop.install([](int) { QCoreApplication::quit(); });
  delegate.launch(choice);
  return app.exec();
}
