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
  if (count > 0) Analytics::requestImmediateSync();
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
  // A run that delivers ends once the file is gone, which happens only after
  // its signals were accepted (RUN_MS is then the longest it may take).
  if (qEnvironmentVariableIsSet("QUIT_WHEN_DELIVERED")) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, qApp, [] {
      if (!QFile::exists(analytics::CacheFile::defaultPath())) QCoreApplication::quit();
    });
    poll->start(20);
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

// Server down or silent, 50 signals, then a quit: the file holds all 50,
// the batch in flight included. The next run with the server up delivers
// them and the file goes.
TEST(AnalyticsQuitPaths, PendingSignalsSurviveAQuitAndGoOutNextRun) {
  ASSERT_TRUE(registered);
  std::vector<int> all(50);
  std::iota(all.begin(), all.end(), 0);
  testsupport::HttpStub silent;
  silent.setScript([](const testsupport::StubRequest&) {
    return testsupport::StubAnswer{200, {}, {}, 0ms, testsupport::StubAnswer::Fault::Hang};
  });
  const std::pair<const char*, QString> runs[] = {
      {"normal", "http://127.0.0.1:9/"}, {"sigterm", "http://127.0.0.1:9/"}, {"normal", silent.url()}};
  for (const auto& [how, url] : runs) {
    SCOPED_TRACE(std::string(how) + " " + url.toStdString());
    const QString cacheHome = testenv::scratch() + "/quit-" + how + QString::number(url.size());
    const QString file = cacheHome + "/" + QCoreApplication::applicationName() + "/analyticssignalcache";
    std::map<QString, QString> env{{"XDG_CACHE_HOME", cacheHome}, {"STUB_URL", url},
                                   {"SIGNALS", "50"}, {"QUIT", how}, {"RUN_MS", "1000"}};
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
      EXPECT_EQ(testenv::ending(child), "exit 0");
    }
    // A batch that failed went behind the later ones: the order may differ.
    std::vector<int> kept = fileNumbers(file);
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, all);
    if (url == silent.url()) {
      ASSERT_EQ(silent.requests().size(), 1) << "the batch was in flight at the quit";
      EXPECT_EQ(batches(silent)[0].size(), 50);
    }

    testsupport::HttpStub stub;
    env["STUB_URL"] = stub.url();
    env["SIGNALS"] = "0";
    env["QUIT"] = "normal";
    env["RUN_MS"] = "10000";
    env["QUIT_WHEN_DELIVERED"] = "1";
    ASSERT_EQ(testenv::runChild("quitter", env).exitCode, 0);
    std::vector<int> delivered;
    for (const QJsonArray& batch : batches(stub)) {
      for (const QJsonValue& v : batch) {
        if (v["type"].toString() == "quit.test") delivered.push_back(v["payload"]["n"].toString().toInt());
      }
    }
    std::sort(delivered.begin(), delivered.end());
    EXPECT_EQ(delivered, all);
    EXPECT_FALSE(QFile::exists(file));
  }
}
