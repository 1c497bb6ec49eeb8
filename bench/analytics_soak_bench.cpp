// Soak of the analytics client: 5,000 numbered signals over about a minute
// while the stub server (a process of its own) answers 30 % of the requests
// with 500, closes 10 % of the connections after reading the body, stalls 5 %
// past the client's idle timeout, and is killed and restarted on the same
// port every 7 s; then the client drains. The stub's record file tells what
// the service received (requests answered 500 were refused and don't count):
// unique signals, lost ones (must be 0) and duplicates (copies the service got
// more than once because a closed connection, a stall or a kill left the
// client without an answer).
// The client runs with a 1 s transmit interval and an 8 s back-off cap, so
// that a minute of signals drains in minutes rather than in an hour.
//
// Run: build/bench/analytics_soak_bench [seconds-of-sending=60]
#include <signal.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <map>

#include "analytics/Analytics.h"

namespace {

constexpr int kSignals = 5000;

struct Stub {
  QString recordFile;
  quint16 port = 0;
  QProcess* process = nullptr;
  int restarts = 0;

  bool start() {
    process = new QProcess;
    QStringList args{"--record", recordFile, "--fail500", "0.3", "--close-after-body", "0.1",
                     "--stall", "0.05", "--stall-ms", "25000", "--port", QString::number(port)};
    process->start(QCoreApplication::applicationDirPath() + "/../tests/httpstub", args);
    if (!process->waitForReadyRead(5000)) return false;
    port = quint16(process->readLine().trimmed().toUInt());
    return port != 0;
  }
  void kill() {
    if (!process) return;
    ::kill(pid_t(process->processId()), SIGKILL);
    process->waitForFinished();
    delete process;
    process = nullptr;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir home;
  qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());
  qputenv("XDG_STATE_HOME", (home.path() + "/state").toLocal8Bit());
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName("analytics-soak");
  const int sendSeconds = argc > 1 ? std::atoi(argv[1]) : 60;

  Stub stub;
  stub.recordFile = home.path() + "/received.jsonl";
  if (!stub.start()) {
    std::fprintf(stderr, "cannot start the stub (build the httpstub target)\n");
    return 1;
  }
  auto config = analytics::AnalyticsManagerConfiguration::make("SOAK", std::nullopt,
                                                               QString("http://127.0.0.1:%1/").arg(stub.port));
  config->transmitInterval.set(1.0);
  config->maxBackoffInterval.set(8.0);
  config->logHandler.set(std::nullopt);
  config->sessionStatsEnabled.set(false);
  config->sendNewSessionBeganSignal.set(false);
  analytics::Analytics::initialize(config);
  const auto manager = analytics::AnalyticsManager::shared();

  QElapsedTimer clock;
  clock.start();
  int sent = 0;
  QTimer sender;
  sender.setInterval(sendSeconds * 1000 / kSignals);
  QObject::connect(&sender, &QTimer::timeout, [&] {
    analytics::Analytics::signal("soak.signal", {{"n", QString::number(sent++)}});
    if (sent == kSignals) sender.stop();
  });
  QTimer killer;
  killer.setInterval(7000);
  QObject::connect(&killer, &QTimer::timeout, [&] {
    stub.kill();
    for (int tries = 0; tries < 50 && !stub.start(); ++tries) QThread::msleep(100);
    ++stub.restarts;
  });
  sender.start();
  killer.start();
  QTimer watch;
  watch.setInterval(250);
  qint64 sendingDone = 0;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (sent == kSignals && !sendingDone) sendingDone = clock.elapsed();
    if ((sent == kSignals && manager->signalManager().pendingCount() == 0) || clock.elapsed() > 20 * 60 * 1000) {
      app.quit();
    }
  });
  watch.start();
  app.exec();
  killer.stop();
  const int pendingAtEnd = manager->signalManager().pendingCount();
  const qint64 drained = clock.elapsed();
  stub.kill();

  // A request answered 500 was refused: its signals are not received, and the
  // client must send them again. Every other request the stub read whole
  // counts as received (closed and stalled ones too: the service got them
  // even though the client could not know).
  std::map<int, int> copies;
  int requests = 0, refused = 0, broken = 0;
  QFile file(stub.recordFile);
  file.open(QIODevice::ReadOnly);
  while (!file.atEnd()) {
    const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
    const QJsonArray body = QJsonDocument::fromJson(QByteArray::fromBase64(line["body"].toString().toLatin1())).array();
    if (line.isEmpty() || body.isEmpty()) {
      ++broken;
      continue;
    }
    ++requests;
    if (line["answer"].toString() == "500") {
      ++refused;
      continue;
    }
    for (const QJsonValue& v : body) {
      if (v["type"].toString() == "soak.signal") ++copies[v["payload"]["n"].toString().toInt()];
    }
  }
  int received = 0, duplicates = 0;
  for (const auto& [n, count] : copies) {
    received += count;
    duplicates += count - 1;
  }
  std::printf("signals handed over  %d in %.1f s\n", sent, sendingDone / 1000.0);
  std::printf("stub restarts        %d\n", stub.restarts);
  std::printf("requests recorded    %d, refused with 500 %d (%d unreadable lines)\n", requests, refused, broken);
  std::printf("drained after        %.1f s (still pending: %d)\n", drained / 1000.0, pendingAtEnd);
  std::printf("unique received      %zu\n", copies.size());
  std::printf("lost                 %zu\n", size_t(kSignals) - copies.size());
  std::printf("copies received      %d, duplicates %d (%.1f %%)\n", received, duplicates,
              100.0 * duplicates / std::max(1, int(copies.size())));
  analytics::Analytics::terminate();
  return copies.size() == size_t(kSignals) ? 0 : 2;
}
