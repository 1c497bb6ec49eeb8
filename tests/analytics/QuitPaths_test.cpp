#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <numeric>

#include "analytics/Analytics.h"
#include "analytics/CacheFile.h"
#include "tests/analytics/Rig.h"

using namespace rig;
namespace Analytics = analytics::Analytics;

namespace {

int quitPipe[2];

// The client as the application runs it: signals handed over, then a quit by
// the event loop, either asked for or by SIGTERM through a self-pipe.
int quitterChild() {
  const QString url = qEnvironmentVariable("STUB_URL");
  const int count = qEnvironmentVariableIntValue("SIGNALS");
  const auto config = analytics::AnalyticsManagerConfiguration::make("APP", std::nullopt, url);
  config->sessionStatsEnabled.set(false);
  config->sendNewSessionBeganSignal.set(false);
  Analytics::initialize(config);
  for (int i = 0; i < count; ++i) Analytics::signal("quit.test", {{"n", QString::number(i)}});
  if (qEnvironmentVariable("QUIT") == "sigterm") {
    if (::pipe2(quitPipe, O_CLOEXEC) != 0) return 2;
    ::signal(SIGTERM, [](int) { [[maybe_unused]] auto n = ::write(quitPipe[1], "x", 1); });
    auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    std::puts("ready");
    std::fflush(stdout);
  } else {
    QTimer::singleShot(qEnvironmentVariableIntValue("RUN_MS"), qApp, &QCoreApplication::quit);
  }
  return QCoreApplication::exec();
}

const bool registered = (testenv::registerChild("quitter", quitterChild), true);

std::vector<int> fileNumbers(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  std::vector<int> out;
  const auto records = analytics::SignalCoding::decodeFile(f.readAll());
  for (const auto& r : records.value_or(analytics::Batch())) {
    if (r.type == "quit.test") out.push_back(r.payload.value("n")->toInt());
  }
  return out;
}

}  // namespace

// Server down, 50 signals, then a quit: the file holds all 50. The next run
// with the server up delivers them and the file goes.
TEST(AnalyticsQuitPaths, PendingSignalsSurviveAQuitAndGoOutNextRun) {
  ASSERT_TRUE(registered);
  std::vector<int> all(50);
  std::iota(all.begin(), all.end(), 0);
  for (const char* how : {"normal", "sigterm"}) {
    SCOPED_TRACE(how);
    const QString cacheHome = testenv::scratch() + "/quit-" + how;
    const QString file = cacheHome + "/" + QCoreApplication::applicationName() + "/analyticssignalcache";
    std::map<QString, QString> env{{"XDG_CACHE_HOME", cacheHome}, {"STUB_URL", "http://127.0.0.1:9/"},
                                   {"SIGNALS", "50"}, {"QUIT", how}, {"RUN_MS", "300"}};
    if (QString(how) == "normal") {
      ASSERT_EQ(testenv::runChild("quitter", env).exitCode, 0);
    } else {
      QProcess child;
      QProcessEnvironment penv = QProcessEnvironment::systemEnvironment();
      for (const auto& [k, v] : env) penv.insert(k, v);
      child.setProcessEnvironment(penv);
      child.start(QCoreApplication::applicationFilePath(), {"--child", "quitter"});
      ASSERT_TRUE(child.waitForReadyRead(20000));
      child.terminate();  // SIGTERM
      ASSERT_TRUE(child.waitForFinished(20000));
      EXPECT_EQ(child.exitCode(), 0);
    }
    EXPECT_EQ(fileNumbers(file), all);

    testsupport::HttpStub stub;
    env["STUB_URL"] = stub.url();
    env["SIGNALS"] = "0";
    env["QUIT"] = "normal";
    env["RUN_MS"] = "3000";
    ASSERT_EQ(testenv::runChild("quitter", env).exitCode, 0);
    std::vector<int> delivered;
    for (const QJsonArray& batch : batches(stub)) {
      for (const QJsonValue& v : batch) {
        if (v["type"].toString() == "quit.test") delivered.push_back(v["payload"]["n"].toString().toInt());
      }
    }
    EXPECT_EQ(delivered, all);
    EXPECT_FALSE(QFile::exists(file));
  }
}
