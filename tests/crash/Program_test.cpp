#include <gtest/gtest.h>

#include <QProcess>
#include <signal.h>

#include "tests/crash/CrashTest.h"
#include "tests/crash/ProgramBundle.h"

using crashtest::items;
using crashtest::ofType;
using testsupport::HttpStub;

// "-reporttest" with both services named in Info.json: the warning really
// reaches the crash service before the console says it was sent. (Whether the
// usage signal went too is the analytics client's part and not checked here.)
TEST(Program, ReportTestDeliversTheWarningBeforeItSaysSo) {
  struct Case {
    const char* variable;
    const char* environment;
  };
  const Case cases[] = {{"1", "test"}, {"true", "production"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.variable);
    QDir(crashtest::crashDir()).removeRecursively();
    HttpStub crashService, analyticsService;
    const crashtest::ProgramBundle bundle(
        QStringLiteral("reporttest"),
        {{QStringLiteral("TQSentryDSN"), crashtest::dsnFor(crashService)},
         {QStringLiteral("TQTelemetryAppID"), QStringLiteral("APP-1")},
         {QStringLiteral("TQTelemetryURL"), analyticsService.url()}});
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TQ_REPORT_TEST"), QLatin1String(c.variable));
    p.setProcessEnvironment(env);
    p.start(bundle.exe(), {QStringLiteral("-reporttest")});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(testenv::ending(p), "exit 0");
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("키: sentry 있음 · telemetry 있음 · 설정 켬"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("보냄: report.test (")) && lines[1].contains(QStringLiteral("경고")))
        << lines[1].toStdString();

    const auto all = items(crashService);
    const QList<QJsonObject> events = ofType(all, "event");
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].value(QStringLiteral("level")).toString(), QStringLiteral("warning"));
    EXPECT_EQ(events[0][QStringLiteral("message")][QStringLiteral("formatted")].toString(), QStringLiteral("report.test"));
    EXPECT_EQ(events[0][QStringLiteral("tags")].toObject(), (QJsonObject{{QStringLiteral("from"), QStringLiteral("cli")}}));
    EXPECT_EQ(events[0].value(QStringLiteral("environment")).toString(), QLatin1String(c.environment));
    EXPECT_TRUE(events[0].value(QStringLiteral("release")).toString().startsWith(QLatin1String("tarvok@")));
    // The run's session opened and, through the clean exit, closed.
    QStringList statuses;
    for (const QJsonObject& s : ofType(all, "session")) statuses << s.value(QStringLiteral("status")).toString();
    EXPECT_EQ(statuses, (QStringList{QStringLiteral("ok"), QStringLiteral("exited")}));
  }
}

TEST(Program, ReportTestSaysSoWhenTheCrashServiceCannotBeReached) {
  QDir(crashtest::crashDir()).removeRecursively();
  quint16 port = 0;
  {
    HttpStub gone;  // a port nobody listens on any more
    port = gone.port();
  }
  const crashtest::ProgramBundle bundle(
      QStringLiteral("unreachable"), {{QStringLiteral("TQSentryDSN"), QStringLiteral("http://pub@127.0.0.1:%1/42").arg(port)}});
  QProcess p;
  p.start(bundle.exe(), {QStringLiteral("-reporttest")});
  ASSERT_TRUE(p.waitForFinished(20000));
  EXPECT_EQ(testenv::ending(p), "exit 0");
  const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).trimmed().split(QLatin1Char('\n'));
  EXPECT_EQ(lines.value(1), QStringLiteral("보내지 않음: report.test. 서비스에 닿지 못함"));
}

// A console switch stopped by a signal ends at once, but its session still
// ends as a clean exit: the next start has no run to call abnormal.
TEST(Program, AConsoleSwitchStoppedByASignalEndsItsSessionAsAnExit) {
  QDir(crashtest::crashDir()).removeRecursively();
  HttpStub stalled;  // takes the reports and never answers: the switch waits
  stalled.setScript([](const testsupport::StubRequest&) {
    return testsupport::StubAnswer{200, {}, {}, std::chrono::milliseconds(0), testsupport::StubAnswer::Fault::Hang};
  });
  {
    const crashtest::ProgramBundle bundle(QStringLiteral("stopped"), {{QStringLiteral("TQSentryDSN"), crashtest::dsnFor(stalled)}});
    QProcess p;
    p.start(bundle.exe(), {QStringLiteral("-reporttest")});
    // Its session has begun once the first update arrived.
    ASSERT_TRUE(stalled.waitForRequests(1, std::chrono::seconds(20)));
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 128 + SIGTERM);
  }
  HttpStub service;
  const crashtest::ProgramBundle bundle(QStringLiteral("after"), {{QStringLiteral("TQSentryDSN"), crashtest::dsnFor(service)}});
  QProcess p;
  p.start(bundle.exe(), {QStringLiteral("-reporttest")});
  ASSERT_TRUE(p.waitForFinished(20000));
  EXPECT_EQ(p.exitCode(), 0);
  const QJsonObject stopped = ofType(items(stalled), "session").value(0);
  ASSERT_FALSE(stopped.isEmpty());
  QStringList statuses;  // of the stopped run's session, as the service got them after
  for (const QJsonObject& s : ofType(items(service), "session")) {
    if (s.value(QStringLiteral("sid")) == stopped.value(QStringLiteral("sid"))) statuses << s.value(QStringLiteral("status")).toString();
  }
  EXPECT_TRUE(statuses.contains(QStringLiteral("exited"))) << statuses.join(' ').toStdString();
  EXPECT_FALSE(statuses.contains(QStringLiteral("abnormal"))) << statuses.join(' ').toStdString();
}
