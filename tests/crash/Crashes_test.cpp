#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include "crash/Event.h"
#include "tests/crash/CrashTest.h"

using namespace std::chrono_literals;
using crashtest::items;
using crashtest::ofType;
using crashtest::runDriver;
using testsupport::HttpStub;

namespace {

void clearCrashDir() { QDir(crashtest::crashDir()).removeRecursively(); }

QStringList leftovers() {
  QStringList out = QDir(crashtest::crashDir()).entryList({QStringLiteral("*.crash")}, QDir::Files);
  out += QDir(crashtest::crashDir() + QStringLiteral("/pending")).entryList(QDir::Files);
  return out;
}

QString buildIdOf(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("readelf"), {QStringLiteral("-n"), path});
  p.waitForFinished();
  const auto m = QRegularExpression(QStringLiteral("Build ID: ([0-9a-f]+)")).match(QString::fromUtf8(p.readAllStandardOutput()));
  return m.captured(1);
}

QList<QJsonObject> withStatus(const QList<QJsonObject>& sessions, const char* status) {
  QList<QJsonObject> out;
  for (const QJsonObject& s : sessions) {
    if (s.value(QStringLiteral("status")).toString() == QLatin1String(status)) out << s;
  }
  return out;
}

QSet<QString> sids(const QList<QJsonObject>& sessions) {
  QSet<QString> out;
  for (const QJsonObject& s : sessions) out.insert(s.value(QStringLiteral("sid")).toString());
  return out;
}

}  // namespace

TEST(Crashes, AFatalSignalEndsTheRunAsBeforeAndTheNextStartReportsIt) {
  struct Case {
    const char* action;
    int signal;
    const char* function;  // must be named in the stack
    bool innermost;        // ... as the crashing frame itself
    const char* value;     // in the exception's description
  };
  const Case cases[] = {
      {"segv", SIGSEGV, "crashBySegv", true, "at 0x0"},
      {"abort", SIGABRT, "crashByAbort", false, "Aborted"},
      {"bus", SIGBUS, "crashByBus", true, "Bus error"},
      {"overflow", SIGSEGV, "crashByOverflow", true, "Segmentation fault"},
      {"pool-overflow", SIGSEGV, "crashByOverflow", true, "Segmentation fault"},
      {"terminate", SIGABRT, "crashByTerminate", false, "uncaught exception of type std::runtime_error"},
  };
  const QString driver = QFileInfo(QStringLiteral(CRASH_DRIVER)).canonicalFilePath();
  const QString driverId = buildIdOf(driver);
  ASSERT_FALSE(driverId.isEmpty());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    clearCrashDir();
    HttpStub stub;
    const crashtest::Exit died = runDriver(c.action, crashtest::dsnFor(stub));
    EXPECT_EQ(died.signal, c.signal);
    EXPECT_EQ(died.code, -1);
    // The handler wrote its record to the end: a fault of its own would have cut it short.
    const QStringList records = QDir(crashtest::crashDir()).entryList({QStringLiteral("*.crash")}, QDir::Files);
    ASSERT_EQ(records.size(), 1);
    QFile record(crashtest::crashDir() + QLatin1Char('/') + records[0]);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_TRUE(record.readAll().endsWith("\nend\n"));
    EXPECT_EQ(runDriver("none", crashtest::dsnFor(stub)).code, 0);

    const auto all = items(stub);
    const QList<QJsonObject> events = ofType(all, "event");
    ASSERT_EQ(events.size(), 1);
    const QJsonObject& e = events[0];
    EXPECT_EQ(e.value(QStringLiteral("level")).toString(), QStringLiteral("fatal"));
    EXPECT_EQ(e.value(QStringLiteral("release")).toString(), QStringLiteral("driver@1.0"));
    const QJsonObject ex = e.value(QStringLiteral("exception")).toObject().value(QStringLiteral("values")).toArray()[0].toObject();
    EXPECT_EQ(ex.value(QStringLiteral("type")).toString(), crash::signalName(c.signal));
    EXPECT_TRUE(ex.value(QStringLiteral("value")).toString().contains(QLatin1String(c.value))) << ex.value(QStringLiteral("value")).toString().toStdString();
    const QJsonObject mech = ex.value(QStringLiteral("mechanism")).toObject();
    EXPECT_EQ(mech.value(QStringLiteral("type")).toString(), QStringLiteral("signalhandler"));
    EXPECT_EQ(mech.value(QStringLiteral("handled")), QJsonValue(false));
    EXPECT_EQ(mech[QStringLiteral("meta")][QStringLiteral("signal")][QStringLiteral("number")].toInt(), c.signal);

    const QJsonArray frames = ex[QStringLiteral("stacktrace")][QStringLiteral("frames")].toArray();
    ASSERT_GT(frames.size(), 2);
    QStringList names;
    for (const QJsonValue& f : frames) names << f[QStringLiteral("function")].toString();
    EXPECT_TRUE(names.filter(QLatin1String(c.function)).size() > 0) << names.join(QLatin1Char('|')).toStdString();
    if (c.innermost) {
      EXPECT_TRUE(names.last().contains(QLatin1String(c.function))) << names.last().toStdString();
    }
    // Frames outside our own code still carry their addresses for the service.
    for (const QJsonValue& f : frames) {
      EXPECT_TRUE(f[QStringLiteral("instruction_addr")].toString().startsWith(QLatin1String("0x")));
    }

    bool driverImage = false;
    for (const QJsonValue& image : e[QStringLiteral("debug_meta")][QStringLiteral("images")].toArray()) {
      if (image[QStringLiteral("code_file")].toString() != driver) continue;
      driverImage = true;
      EXPECT_EQ(image[QStringLiteral("code_id")].toString(), driverId);
      EXPECT_EQ(image[QStringLiteral("debug_id")].toString().size(), 36);
    }
    EXPECT_TRUE(driverImage);

    // The dead run's session ends "crashed"; the run after it "exited".
    const QList<QJsonObject> sessions = ofType(all, "session");
    const QList<QJsonObject> crashed = withStatus(sessions, "crashed");
    ASSERT_EQ(crashed.size(), 1);
    EXPECT_EQ(crashed[0].value(QStringLiteral("errors")).toInt(), 1);
    EXPECT_EQ(crashed[0][QStringLiteral("attrs")][QStringLiteral("release")].toString(), QStringLiteral("driver@1.0"));
    const QList<QJsonObject> exited = withStatus(sessions, "exited");
    ASSERT_EQ(exited.size(), 1);
    EXPECT_NE(crashed[0].value(QStringLiteral("sid")), exited[0].value(QStringLiteral("sid")));
    EXPECT_GE(exited[0].value(QStringLiteral("duration")).toDouble(-1), 0);
    // An update sent just before the crash may go twice; it is one session.
    EXPECT_EQ(sids(withStatus(sessions, "ok")).size(), 2);
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
  }
}

TEST(Crashes, ARunKilledOutrightEndsAbnormalButALiveOneIsLeftAlone) {
  clearCrashDir();
  HttpStub stub;
  QProcess killed;
  ASSERT_TRUE(crashtest::startHanging(killed, crashtest::dsnFor(stub)));
  // Another run while it lives must not take its session for a dead one.
  EXPECT_EQ(runDriver("none", crashtest::dsnFor(stub)).code, 0);
  EXPECT_TRUE(withStatus(ofType(items(stub), "session"), "abnormal").isEmpty());
  killed.kill();
  killed.waitForFinished();
  EXPECT_EQ(testenv::ending(killed), "signal 9") << "it hangs until killed";
  EXPECT_EQ(runDriver("none", crashtest::dsnFor(stub)).code, 0);
  const QList<QJsonObject> sessions = ofType(items(stub), "session");
  const QList<QJsonObject> abnormal = withStatus(sessions, "abnormal");
  ASSERT_EQ(abnormal.size(), 1);
  EXPECT_TRUE(ofType(items(stub), "event").isEmpty());
  EXPECT_EQ(withStatus(sessions, "exited").size(), 2);
  EXPECT_EQ(sids(withStatus(sessions, "ok")).size(), 3);
}

TEST(Crashes, AReportTheServiceCouldNotTakeGoesAtTheStartAfter) {
  clearCrashDir();
  quint16 port = 0;
  {
    HttpStub first;
    port = first.port();
    EXPECT_EQ(runDriver("segv", crashtest::dsnFor(first)).signal, SIGSEGV);
  }
  const QString dsn = QStringLiteral("http://pub@127.0.0.1:%1/42").arg(port);
  // The service is down: the report waits.
  EXPECT_EQ(runDriver("none", dsn).code, 0);
  EXPECT_FALSE(leftovers().isEmpty());
  HttpStub again(port);
  ASSERT_TRUE(again.listening());
  EXPECT_EQ(runDriver("none", dsn).code, 0);
  const auto all = items(again);
  EXPECT_EQ(ofType(all, "event").size(), 1);
  EXPECT_EQ(withStatus(ofType(all, "session"), "crashed").size(), 1);
  EXPECT_TRUE(leftovers().isEmpty());
}

// A cache where the report cannot be stored (full, read-only: here a file
// stands where the pending folder goes) keeps the crash file for a later start.
TEST(Crashes, ACrashFileStaysUntilItsReportIsStored) {
  clearCrashDir();
  HttpStub stub;
  const QString dsn = crashtest::dsnFor(stub);
  EXPECT_EQ(runDriver("segv", dsn).signal, SIGSEGV);
  const QString pending = crashtest::crashDir() + QStringLiteral("/pending");
  QDir(pending).removeRecursively();
  QFile blocker(pending);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(runDriver("none", dsn).code, 0);
  EXPECT_EQ(QDir(crashtest::crashDir()).entryList({QStringLiteral("*.crash")}, QDir::Files).size(), 1);
  EXPECT_TRUE(ofType(items(stub), "event").isEmpty());

  ASSERT_TRUE(QFile::remove(pending));
  EXPECT_EQ(runDriver("none", dsn).code, 0);
  const auto all = items(stub);
  const QList<QJsonObject> events = ofType(all, "event");
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0].value(QStringLiteral("level")).toString(), QStringLiteral("fatal"));
  EXPECT_EQ(withStatus(ofType(all, "session"), "crashed").size(), 1);
  EXPECT_TRUE(withStatus(ofType(all, "session"), "abnormal").isEmpty());
  EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

// Runs without the service pile up session updates; the crash between them
// still reaches the service when it is back, with its crashed session.
TEST(Crashes, ACrashSurvivesFortyRunsWithoutTheService) {
  clearCrashDir();
  quint16 port = 0;
  {
    HttpStub gone;
    port = gone.port();
  }
  const QString dsn = QStringLiteral("http://pub@127.0.0.1:%1/42").arg(port);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(runDriver("none", dsn).code, 0);
  EXPECT_EQ(runDriver("segv", dsn).signal, SIGSEGV);
  for (int i = 0; i < 40; ++i) ASSERT_EQ(runDriver("none", dsn).code, 0);
  // The one event and at most 30 session updates (the driver's default bound).
  const int waiting = int(QDir(crashtest::crashDir() + QStringLiteral("/pending")).entryList(QDir::Files).size());
  EXPECT_LE(waiting, 31);

  HttpStub back(port);
  ASSERT_TRUE(back.listening());
  EXPECT_EQ(runDriver("none", dsn).code, 0);
  const auto all = items(back);
  const QList<QJsonObject> events = ofType(all, "event");
  const QList<QJsonObject> sessions = ofType(all, "session");
  std::printf("waiting %d; delivered: %d events, %d session updates of %d sessions (%d crashed, %d exited)\n", waiting,
              int(events.size()), int(sessions.size()), int(sids(sessions).size()), int(withStatus(sessions, "crashed").size()),
              int(withStatus(sessions, "exited").size()));
  ASSERT_EQ(events.size(), 1);
  EXPECT_EQ(events[0].value(QStringLiteral("level")).toString(), QStringLiteral("fatal"));
  const QList<QJsonObject> crashed = withStatus(sessions, "crashed");
  ASSERT_EQ(crashed.size(), 1);
  EXPECT_LE(sessions.size(), 32);  // the bound, and the delivering run's own two
  EXPECT_GE(sids(sessions).size(), 15);
  EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(QLatin1Char(' ')).toStdString();
}

// Session lengths go out in seconds: a run held for 1.5 s says 1.5 or so, and
// never more than the whole run took.
TEST(Crashes, SessionsLastSecondsNotMilliseconds) {
  clearCrashDir();
  HttpStub stub;
  const QString dsn = crashtest::dsnFor(stub);
  QElapsedTimer run;
  run.start();
  EXPECT_EQ(runDriver("segv", dsn, {"CRASH_LINGER_MS=1500"}).signal, SIGSEGV);
  const double crashedRun = double(run.restart()) / 1000.0;
  EXPECT_EQ(runDriver("none", dsn, {"CRASH_LINGER_MS=1500"}).code, 0);
  const double exitedRun = double(run.elapsed()) / 1000.0;
  const QList<QJsonObject> sessions = ofType(items(stub), "session");
  const QList<QJsonObject> crashed = withStatus(sessions, "crashed");
  const QList<QJsonObject> exited = withStatus(sessions, "exited");
  ASSERT_EQ(crashed.size(), 1);
  ASSERT_EQ(exited.size(), 1);
  // A crash is known to the second.
  const double crashedFor = crashed[0].value(QStringLiteral("duration")).toDouble(-1);
  EXPECT_GE(crashedFor, 0);
  EXPECT_LE(crashedFor, crashedRun + 1);
  const double exitedFor = exited[0].value(QStringLiteral("duration")).toDouble(-1);
  EXPECT_GE(exitedFor, 1.5);
  EXPECT_LE(exitedFor, exitedRun);
}

TEST(Crashes, ReportsTurnedOffDeleteTheCrashFileAndSendNothing) {
  clearCrashDir();
  HttpStub stub;
  EXPECT_EQ(runDriver("segv", crashtest::dsnFor(stub)).signal, SIGSEGV);
  ASSERT_FALSE(leftovers().isEmpty());
  EXPECT_EQ(runDriver("discard", crashtest::dsnFor(stub)).code, 0);
  EXPECT_TRUE(leftovers().isEmpty());
  // Turned on again, nothing of the old crash comes back. (The crashed run's
  // own opening update may reach the stub late: only what it says counts.)
  EXPECT_EQ(runDriver("none", crashtest::dsnFor(stub)).code, 0);
  EXPECT_TRUE(ofType(items(stub), "event").isEmpty());
  const QList<QJsonObject> sessions = ofType(items(stub), "session");
  EXPECT_TRUE(withStatus(sessions, "crashed").isEmpty());
  EXPECT_TRUE(withStatus(sessions, "abnormal").isEmpty());
  // Turned off while running: not even the closing update goes out, and the
  // next run finds no session left to call abnormal.
  const qsizetype exited = withStatus(ofType(items(stub), "session"), "exited").size();
  EXPECT_EQ(runDriver("off", crashtest::dsnFor(stub)).code, 0);
  EXPECT_EQ(runDriver("none", crashtest::dsnFor(stub)).code, 0);
  const QList<QJsonObject> after = ofType(items(stub), "session");
  EXPECT_EQ(withStatus(after, "exited").size(), exited + 1);  // the last run's only
  EXPECT_TRUE(withStatus(after, "abnormal").isEmpty());
}
