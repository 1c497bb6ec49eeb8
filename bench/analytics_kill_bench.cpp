// Kill test of the analytics client: 50 rounds in which a child process
// hands numbered signals to the client (about 50 a second, its server down)
// and is killed with SIGKILL at a random moment between 0.2 and 4 s. After
// each kill the cache file must decode whole; the signals the child had
// handed over that the file lacks are lost for that round (the client
// writes its file half a second after a change, so a kill can cost the last
// moments of signals, never the file).
//
// Run: build/bench/analytics_kill_bench [rounds=50]
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

#include "analytics/Analytics.h"
#include "analytics/SignalPostBody.h"

namespace {

// Sends signals until killed, printing each number once it is handed over.
int child() {
  auto config = analytics::AnalyticsManagerConfiguration::make("KILL", std::nullopt, QString("http://127.0.0.1:9/"));
  config->logHandler.set(std::nullopt);
  analytics::Analytics::initialize(config);
  for (int n = 0;; ++n) {
    analytics::Analytics::signal("kill.signal", {{"n", QString::number(n)}});
    std::printf("%d\n", n);
    std::fflush(stdout);
    QThread::msleep(20);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("analytics-kill");
    return child();
  }
  QCoreApplication app(argc, argv);
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 50;
  QTemporaryDir home;
  std::mt19937 random(2026);
  int undecodable = 0, noFile = 0;
  std::vector<int> lost;
  for (int round = 0; round < rounds; ++round) {
    const QString cache = home.path() + QString("/round%1").arg(round);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CACHE_HOME", cache);
    env.insert("XDG_STATE_HOME", home.path() + "/state");
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), {"--child"});
    process.waitForStarted();
    QThread::msleep(200 + random() % 3800);
    ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished();
    int handed = 0;
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
      if (!line.isEmpty()) handed = line.toInt() + 1;
    }
    QFile file(cache + "/analytics-kill/analyticssignalcache");
    std::set<int> kept;
    if (file.open(QIODevice::ReadOnly)) {
      const auto records = analytics::SignalCoding::decodeFile(file.readAll());
      if (!records) {
        ++undecodable;
      } else {
        for (const auto& r : *records) {
          if (r.type == "kill.signal") kept.insert(r.payload.value("n")->toInt());
        }
      }
    } else {
      ++noFile;
    }
    int missing = 0;
    for (int n = 0; n < handed; ++n) missing += kept.count(n) ? 0 : 1;
    lost.push_back(missing);
    std::printf("round %2d: handed %4d, kept %4zu, lost %3d\n", round, handed, kept.size(), missing);
  }
  std::sort(lost.begin(), lost.end());
  double mean = 0;
  for (int l : lost) mean += l;
  mean /= std::max<size_t>(1, lost.size());
  std::printf("\nrounds %d, undecodable files %d, rounds killed before a first file %d\n", rounds, undecodable, noFile);
  std::printf("lost per round: mean %.1f, median %d, max %d (at 50 signals a second)\n", mean,
              lost.empty() ? 0 : lost[lost.size() / 2], lost.empty() ? 0 : lost.back());
  return undecodable == 0 ? 0 : 2;
}
