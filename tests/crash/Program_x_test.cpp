#include <gtest/gtest.h>
#include <signal.h>

#include <QJsonArray>
#include <QProcess>

#include "tests/crash/CrashTest.h"
#include "tests/crash/ProgramBundle.h"

using namespace std::chrono_literals;
using crashtest::items;
using crashtest::ofType;
using testsupport::HttpStub;

namespace {

// The tray program, running until it has started crash reporting.
struct Running {
  QProcess process;
  QByteArray log;

  explicit Running(const QString& exe) {
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(&process, &QProcess::readyReadStandardError, [this] { log += process.readAllStandardError(); });
    process.start(exe, {});
  }
  bool reportingOn() {
    return testenv::waitUntil([this] { return log.contains("crash reporting on"); }, 20000);
  }
  bool ended() {
    return testenv::waitUntil([this] { return process.state() == QProcess::NotRunning; }, 15000);
  }
};

}  // namespace

TEST(ProgramX, TheTrayProgramKilledBySegvIsReportedAtItsNextStart) {
  QDir(crashtest::crashDir()).removeRecursively();
  HttpStub service;
  const crashtest::ProgramBundle bundle(QStringLiteral("tray"), {{QStringLiteral("TQSentryDSN"), crashtest::dsnFor(service)}});
  {
    Running first(bundle.exe());
    ASSERT_TRUE(first.reportingOn()) << first.log.constData();
    ::kill(pid_t(first.process.processId()), SIGSEGV);
    ASSERT_TRUE(first.ended());
    EXPECT_EQ(testenv::ending(first.process), QStringLiteral("signal %1").arg(SIGSEGV));
  }
  EXPECT_TRUE(ofType(items(service), "event").isEmpty());

  Running second(bundle.exe());
  ASSERT_TRUE(second.reportingOn()) << second.log.constData();
  EXPECT_TRUE(testenv::waitUntil([&] { return !ofType(items(service), "event").isEmpty(); }, 10000));
  second.process.terminate();  // a logout: the clean way out
  ASSERT_TRUE(second.ended());
  EXPECT_EQ(testenv::ending(second.process), "exit 0") << second.log.constData();

  const auto all = items(service);
  const QList<QJsonObject> events = ofType(all, "event");
  ASSERT_EQ(events.size(), 1);
  const QJsonObject ex = events[0][QStringLiteral("exception")][QStringLiteral("values")].toArray()[0].toObject();
  EXPECT_EQ(ex.value(QStringLiteral("type")).toString(), QStringLiteral("SIGSEGV"));
  EXPECT_EQ(ex[QStringLiteral("mechanism")][QStringLiteral("type")].toString(), QStringLiteral("signalhandler"));
  EXPECT_FALSE(ex[QStringLiteral("stacktrace")][QStringLiteral("frames")].toArray().isEmpty());
  bool programImage = false;
  for (const QJsonValue& image : events[0][QStringLiteral("debug_meta")][QStringLiteral("images")].toArray())
    programImage |= image[QStringLiteral("code_file")].toString() == bundle.exe() && !image[QStringLiteral("code_id")].toString().isEmpty();
  EXPECT_TRUE(programImage);
  QStringList statuses;
  for (const QJsonObject& s : ofType(all, "session")) statuses << s.value(QStringLiteral("status")).toString();
  statuses.sort();
  statuses.removeDuplicates();
  EXPECT_EQ(statuses, (QStringList{QStringLiteral("crashed"), QStringLiteral("exited"), QStringLiteral("ok")}));
}
