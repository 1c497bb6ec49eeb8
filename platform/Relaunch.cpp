#include "platform/Relaunch.h"

#include <QCoreApplication>
#include <QDebug>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

namespace Relaunch {

bool run(const QString& program, const QStringList& arguments, std::function<void()> quit, int delayMs) {
  QProcess process;
  process.setProgram(program);
  process.setArguments(arguments);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QLatin1String(kRelaunchedFrom), QString::number(QCoreApplication::applicationPid()));
  process.setProcessEnvironment(env);
  process.setStandardInputFile(QProcess::nullDevice());
  if (!process.startDetached()) {
    qWarning().noquote() << "relaunch: could not start" << program << "-" << process.errorString();
    return false;
  }
  if (quit) QTimer::singleShot(delayMs, QCoreApplication::instance(), std::move(quit));
  return true;
}

bool relaunch() {
  return run(QCoreApplication::applicationFilePath(), {}, [] { QCoreApplication::quit(); });
}

}  // namespace Relaunch
