#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "analytics/Analytics.h"
#include "analytics/CryptoHashing.h"
#include "tests/analytics/Rig.h"

using namespace rig;
using analytics::Analytics::internalSignal;
using analytics::AnalyticsManager;
using analytics::AnalyticsManagerConfiguration;
using analytics::Parameters;
namespace Analytics = analytics::Analytics;

namespace {

const QString kW1 = "Sending signal with reserved prefix 'Analytics.' will cause unexpected behavior. Please use another prefix instead.";
const QString kW3 = "Sending parameter with reserved key prefix 'Analytics.' will cause unexpected behavior. Please use another prefix instead.";
QString w2(const QString& name) {
  return "Sending signal with reserved name '" + name + "' will cause unexpected behavior. Please use another name instead.";
}
QString w4(const QString& key) {
  return "Sending parameter with reserved key '" + key + "' will cause unexpected behavior. Please use another key instead.";
}

// One client per test, on a manual clock, with its store in a folder of its own.
struct Facade : ::testing::Test {
  std::shared_ptr<ManualScheduler> clock = std::make_shared<ManualScheduler>();
  Log log;
  analytics::ConfigurationPtr config;

  analytics::ConfigurationPtr start(const QString& appID = "APP", const QString& url = "http://127.0.0.1:9/",
                                    const QString& cacheFile = {}) {
    const QString folder = "/state-" + QString(::testing::UnitTest::GetInstance()->current_test_info()->name());
    config = startClient(clock, appID, url, testenv::scratch() + folder, log.handler(clock), cacheFile);
    return config;
  }
  void TearDown() override { Analytics::terminate(); }
  analytics::Batch sent() { return AnalyticsManager::shared()->signalManager().pendingSignals(); }
};

// Identity across processes: prints the stored identifier and its hash.
int identityChild() {
  auto c = AnalyticsManagerConfiguration::make("APP-ID", QString("pepper"), QString("http://127.0.0.1:9/"));
  // Made whole at once: filled in afterwards, GCC with sanitizers takes the
  // optional's contents for unset and stops the build on it.
  const AnalyticsManager::Environment env{
      .scheduler = nullptr, .cacheFile = QString(), .stateFolder = testenv::scratch() + "/shared-state"};
  Analytics::initialize(c, env);
  const auto manager = AnalyticsManager::shared();
  const QByteArray out = (manager->signalManager().defaultUserIdentifier() + ' ' + manager->hashedDefaultUser()).toUtf8();
  std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
  Analytics::terminate();
  return 0;
}

const bool registered = (testenv::registerChild("identity", identityChild), true);

}  // namespace

TEST_F(Facade, NothingExistsBeforeInitialize) {
  Analytics::terminate();
  EXPECT_FALSE(AnalyticsManager::shared());
  Analytics::signal("x");
  Analytics::requestImmediateSync();
  EXPECT_FALSE(AnalyticsManager::isInitialized());
  EXPECT_FALSE(Analytics::customDefaults());
  EXPECT_FALSE(QDir(analytics::ClientStore::defaultFolder()).exists());
  EXPECT_FALSE(QFile::exists(analytics::CacheFile::defaultPath()));
}

// The warnings with their texts, the prefixes, and what is sent anyway.
TEST_F(Facade, WarningsAndPrefixes) {
  struct Case {
    const char* name;
    std::function<void(AnalyticsManagerConfiguration&)> setUp;
    QString signal;
    Parameters parameters;
    QStringList warnings;
    QString type;
    QStringList keys;  // of the caller's and default parameters as sent
  };
  EXPECT_EQ(Analytics::reservedKeysLowercased().size(), 25);
  const auto none = [](AnalyticsManagerConfiguration&) {};
  const Case cases[] = {
      {"reserved prefix", none, "Analytics.custom", {}, {kW1}, "Analytics.custom", {}},
      {"reserved name", none, "appVersion", {}, {w2("appVersion")}, "appVersion", {}},
      {"reserved name in another case", none, "AppVersion", {}, {w2("AppVersion")}, "AppVersion", {}},
      {"reserved key", none, "x", {{"locale", "1"}}, {w4("locale")}, "x", {"locale"}},
      {"reserved key prefix", none, "x", {{"ANALYTICS.k", "1"}}, {kW3}, "x", {"ANALYTICS.k"}},
      {"signal prefix", [](auto& c) { c.defaultSignalPrefix.set(QString("pre.")); }, "x", {}, {}, "pre.x", {}},
      {"parameter prefix spares Analytics. keys only",
       [](auto& c) { c.defaultParameterPrefix.set(QString("p.")); }, "x",
       {{"Analytics.k", "1"}, {"analytics.k", "2"}}, {kW3}, "x", {"Analytics.k", "p.analytics.k"}},
      {"defaults checked even with warnings off",
       [](auto& c) {
         c.reservedParameterWarningsEnabled.set(false);
         c.defaultParameters.set([] { return Parameters{{"locale", "d"}, {"mine", "d"}}; });
       },
       "Analytics.x", {{"mine", "call"}}, {w4("locale")}, "Analytics.x", {"locale", "mine"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    c.setUp(*config);
    Analytics::signal(c.signal, c.parameters);
    QStringList warnings;
    for (const QString& line : log.find("Sending ", true)) warnings << line;
    EXPECT_EQ(warnings, c.warnings);
    const analytics::Batch batch = sent();
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].type, c.type);
    for (const QString& key : c.keys) EXPECT_TRUE(batch[0].payload.value(key)) << key.toStdString();
    if (c.keys.contains("mine")) {
      EXPECT_EQ(batch[0].payload.value("mine"), "call");
    }
    log.clear();
    Analytics::terminate();
  }
}

TEST_F(Facade, DisabledAndPreviewDropSilently) {
  start();
  config->analyticsDisabled.set(true);
  Analytics::signal("Analytics.x");
  config->analyticsDisabled.set(false);
  config->setSwiftUIPreviewMode(true);
  Analytics::signal("x");
  internalSignal("y");
  EXPECT_TRUE(sent().empty());
  EXPECT_TRUE(log.find("Sending").isEmpty());
  config->setSwiftUIPreviewMode(false);
  config->setTestMode(true);
  Analytics::signal("z");
  ASSERT_EQ(sent().size(), 1u);
  EXPECT_EQ(sent()[0].isTestMode, "true");
}

// Salted SHA-256 of the custom user, else of the stored identifier.
TEST_F(Facade, ClientUserIsTheSaltedHash) {
  EXPECT_EQ(analytics::CryptoHashing::sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  auto c = AnalyticsManagerConfiguration::make("SALTY", QString("salt"), QString("http://127.0.0.1:9/"));
  const AnalyticsManager::Environment env{
      .scheduler = clock, .cacheFile = QString(), .stateFolder = testenv::scratch() + "/state-salt"};
  Analytics::initialize(c, env);
  Analytics::signal("a", {}, std::nullopt, QString("abc"));
  Analytics::signal("b");
  const analytics::Batch batch = sent();
  const QString stored = Analytics::customDefaults()->value("defaultUserIdentifier").toString();
  EXPECT_TRUE(QRegularExpression("^[0-9A-F-]{36}$").match(stored).hasMatch()) << stored.toStdString();
  EXPECT_EQ(batch[0].clientUser, analytics::CryptoHashing::sha256("abcsalt"));
  EXPECT_EQ(batch[1].clientUser, analytics::CryptoHashing::sha256(stored + "salt"));
  EXPECT_TRUE(Analytics::customDefaults()->path().endsWith(
      "/state-salt/" + analytics::ClientStore::prefix() + analytics::CryptoHashing::sha256("SALTY").right(12) + ".json"));
  Analytics::updateDefaultUserID(QString("forced"));
  Analytics::signal("c");
  EXPECT_EQ(sent()[2].clientUser, analytics::CryptoHashing::sha256("forcedsalt"));
}

// Two processes sharing a state folder, started together, agree on the user.
TEST(AnalyticsIdentity, StableAcrossProcesses) {
  ASSERT_TRUE(registered);
  QProcess a, b;
  for (QProcess* p : {&a, &b}) p->start(QCoreApplication::applicationFilePath(), {"--child", "identity"});
  for (QProcess* p : {&a, &b}) {
    ASSERT_TRUE(p->waitForFinished(30000));
    EXPECT_EQ(testenv::ending(*p), "exit 0");
  }
  const QList<QByteArray> first = a.readAllStandardOutput().split(' ');
  ASSERT_EQ(first.size(), 2);
  EXPECT_EQ(b.readAllStandardOutput(), first[0] + ' ' + first[1]);
  EXPECT_EQ(first[1], analytics::CryptoHashing::sha256(QString::fromUtf8(first[0]) + "pepper").toUtf8());
  const auto third = testenv::runChild("identity");
  EXPECT_EQ(third.ending, "exit 0");
  EXPECT_EQ(third.out, first[0] + ' ' + first[1]);
}

// The first session starts half a second in; earlier signals keep the first identifier.
TEST_F(Facade, FirstSessionAfterHalfASecond) {
  start();
  const QString before = config->sessionID().toString(QUuid::WithoutBraces).toUpper();
  clock->advance(200ms);
  Analytics::signal("early");
  clock->advance(400ms);
  Analytics::signal("late");
  const analytics::Batch batch = sent();
  QStringList types;
  for (const auto& r : batch) types << r.type;
  EXPECT_EQ(types, (QStringList{"early", "Analytics.Acquisition.newInstallDetected", "Analytics.Session.started", "late"}));
  EXPECT_EQ(batch[0].sessionID, before);
  EXPECT_NE(batch[3].sessionID, before);
  EXPECT_EQ(batch[2].sessionID, batch[3].sessionID);

  // With both switches off, a new identifier changes nothing else.
  config->sessionStatsEnabled.set(false);
  config->sendNewSessionBeganSignal.set(false);
  Analytics::generateNewSession();
  clock->advance();
  EXPECT_EQ(sent().size(), 4u);
}

// Reports off and on again: the same application keeps its client and queue.
TEST_F(Facade, ASecondInitializeKeepsTheRunningClient) {
  const QString file = testenv::scratch() + "/reinit/analyticssignalcache";
  start("APP", "http://127.0.0.1:9/", file);
  const auto first = AnalyticsManager::shared();
  Analytics::signal("one");
  Analytics::signal("two");
  start("APP", "http://127.0.0.1:9/", file);
  EXPECT_EQ(AnalyticsManager::shared(), first);
  EXPECT_EQ(AnalyticsManager::shared()->configuration(), config);
  EXPECT_EQ(sent().size(), 2u);
  // Another application: the old client hands its signals over through the file.
  start("OTHER", "http://127.0.0.1:9/", file);
  EXPECT_NE(AnalyticsManager::shared(), first);
  clock->advance();
  EXPECT_EQ(sent().size(), 2u);
}

// Two requests within the interval give one send.
TEST_F(Facade, ImmediateSyncIsThrottled) {
  testsupport::HttpStub stub;
  start("APP", stub.url());
  clock->advance();  // the first attempt finds nothing
  Analytics::signal("a");
  Analytics::requestImmediateSync();
  clock->advance(5s);
  Analytics::requestImmediateSync();
  clock->advance(50ms);
  ASSERT_TRUE(stub.waitForRequests(1, 10s));
  while (AnalyticsManager::shared()->signalManager().busy() && clock->waitForReady()) {
  }
  Analytics::signal("b");
  clock->advance(4s);
  EXPECT_EQ(stub.requests().size(), 1);
  clock->advance(2s);  // 10 s after the first: allowed again
  Analytics::requestImmediateSync();
  clock->advance(50ms);
  EXPECT_TRUE(stub.waitForRequests(2, 10s));
}

TEST(AnalyticsLogging, LevelsAndWriters) {
  const std::vector<std::pair<analytics::LogLevel, QString>> levels{
      {analytics::LogLevel::debug, "DEBUG"}, {analytics::LogLevel::info, "INFO"}, {analytics::LogLevel::error, "ERROR"}};
  for (const auto& [minimum, minimumText] : levels) {
    QStringList got;
    analytics::LogHandler h{minimum, [&](analytics::LogLevel l, const QString& m) { got << analytics::description(l) + m; }, {}};
    for (const auto& [level, text] : levels) h.log(level, "!");
    QStringList want;
    for (const auto& [level, text] : levels) {
      if (int(level) >= int(minimum)) want << text + "!";
    }
    EXPECT_EQ(got, want) << minimumText.toStdString();
  }
  EXPECT_FALSE(analytics::logLevelFromRaw(3));
  EXPECT_EQ(analytics::logLevelFromRaw(2), analytics::LogLevel::error);
  testenv::LogCapture capture("analytics");
  analytics::LogHandler::standard(analytics::LogLevel::info).log(analytics::LogLevel::error, "to the category");
  analytics::LogHandler::standard(analytics::LogLevel::info).log(analytics::LogLevel::debug, "dropped");
  EXPECT_EQ(capture.lines(), QStringList{"to the category"});
}
