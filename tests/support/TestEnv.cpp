#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMutex>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <sys/wait.h>

namespace testenv {

namespace {
std::map<std::string, std::function<int()>>& children() {
  static std::map<std::string, std::function<int()>> map;
  return map;
}

QMutex logMutex;
QStringList* logLines = nullptr;
QString logPrefix;
QtMessageHandler previousHandler = nullptr;

void captureHandler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg) {
  {
    QMutexLocker guard(&logMutex);
    if (logLines && ctx.category && QString::fromLatin1(ctx.category).startsWith(logPrefix)) {
      logLines->append(msg);
      return;
    }
  }
  if (previousHandler) previousHandler(type, ctx, msg);
}
}  // namespace

std::function<int()> childBody(const std::string& name) {
  auto it = children().find(name);
  return it == children().end() ? std::function<int()>() : it->second;
}

bool waitUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(2);
  }
  return true;
}

void pump(int ms) { waitUntil([] { return false; }, ms); }

QString scratch() { return qEnvironmentVariable("TARVOK_TEST_SCRATCH"); }

QString sourceResources() { return QStringLiteral(TARVOK_SOURCE_DIR "/resources"); }

void registerChild(const std::string& name, std::function<int()> body) {
  children()[name] = std::move(body);
}

QString ending(const QProcess& process) {
  if (process.state() != QProcess::NotRunning) return QStringLiteral("running");
  if (process.error() == QProcess::FailedToStart) return QStringLiteral("not started");
  const bool crashed = process.exitStatus() == QProcess::CrashExit;
  return (crashed ? QStringLiteral("signal %1") : QStringLiteral("exit %1")).arg(process.exitCode());
}

QString ending(int waitStatus) {
  if (WIFEXITED(waitStatus)) return QStringLiteral("exit %1").arg(WEXITSTATUS(waitStatus));
  if (WIFSIGNALED(waitStatus)) return QStringLiteral("signal %1").arg(WTERMSIG(waitStatus));
  return QStringLiteral("running");
}

ChildResult runChild(const std::string& name, const std::map<QString, QString>& env) {
  QProcess process;
  QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
  for (const auto& [key, value] : env) penv.insert(key, value);
  process.setProcessEnvironment(penv);
  process.setProcessChannelMode(QProcess::SeparateChannels);
  process.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--child"), QString::fromStdString(name)});
  ChildResult result;
  if (!process.waitForFinished(30000)) {
    result.ending = ending(process);
    process.kill();
    process.waitForFinished();
    return result;
  }
  result.ending = ending(process);
  result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  result.out = process.readAllStandardOutput();
  return result;
}

LogCapture::LogCapture(const QString& prefix) {
  QMutexLocker guard(&logMutex);
  logLines = new QStringList;
  logPrefix = prefix;
  QLoggingCategory::setFilterRules(prefix + QStringLiteral("*.debug=true"));
  previousHandler = qInstallMessageHandler(captureHandler);
}

LogCapture::~LogCapture() {
  qInstallMessageHandler(previousHandler);
  QMutexLocker guard(&logMutex);
  delete logLines;
  logLines = nullptr;
  QLoggingCategory::setFilterRules(QString());
}

QStringList LogCapture::lines() const {
  QMutexLocker guard(&logMutex);
  return logLines ? *logLines : QStringList();
}

bool LogCapture::contains(const QString& text) const {
  for (const QString& line : lines()) {
    if (line.contains(text)) return true;
  }
  return false;
}

QStringList LogCapture::reported() const {
  QStringList out;
  for (const QString& line : lines()) {
    if (line.startsWith(QLatin1String("signal: ")) || line.startsWith(QLatin1String("signal dropped: ")))
      out << line.section(QLatin1String(": "), 1);
  }
  return out;
}

void LogCapture::clear() {
  QMutexLocker guard(&logMutex);
  if (logLines) logLines->clear();
}

}  // namespace testenv
