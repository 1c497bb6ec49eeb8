// Starting on an X server that resets when its last client leaves, as a
// plain Xvfb does: the display check must not hand Qt a server in the
// middle of its reset, and Qt failing to connect all the same must end with
// our one-line message, never with Qt's abort.
#include "app/Environment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QLoggingCategory>
#include <QProcess>
#include <csignal>

#include "tests/support/TestEnv.h"

namespace {

// What Qt's X11 platform says and does when the display does not take its connection.
const bool registered = (testenv::registerChild("qt-cannot-connect", [] {
  ::dup2(1, 2);  // the parent reads standard output only
  Environment::PlatformStart starting;
  const QLoggingCategory xcb("qt.qpa.xcb");
  qCWarning(xcb) << "could not connect to display :77";
  qFatal("This application failed to start because no Qt platform plugin could be initialized.");
  return 0;
}), true);

// A plain Xvfb without -noreset and without a window manager: every time its
// last client leaves, it resets. A large screen makes each reset take long
// enough that a connection made while it runs is refused every time rather
// than now and then.
class ResettingServer {
 public:
  ResettingServer() {
    // The display number arrives on standard output.
    server_.start(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "4096x4096x24", "-nolisten", "tcp", "-ac"});
    server_.waitForStarted();
    testenv::waitUntil([&] { return server_.canReadLine() || server_.state() == QProcess::NotRunning; }, 30000);
    const QByteArray number = server_.readLine().trimmed();
    if (!number.isEmpty()) display_ = QLatin1Char(':') + QString::fromLatin1(number);
  }
  ~ResettingServer() {
    server_.terminate();
    server_.waitForFinished(5000);
  }
  QString display() const { return display_; }

 private:
  QProcess server_;
  QString display_;
};

}  // namespace

TEST(Environment, QtFailingToReachTheDisplayEndsWithOurMessageAndExitCodeOne) {
  const testenv::ChildResult r = testenv::runChild("qt-cannot-connect", {{"DISPLAY", ":77"}});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.out.contains("tarvok: needs a graphical session, but the X display :77 does not answer\n"))
      << r.out.constData();
  EXPECT_FALSE(r.out.contains("no Qt platform plugin")) << r.out.constData();
}

TEST(EnvironmentProgram, TwentyTrayStartsOnAServerThatResetsEachRunAndEndCleanly) {
  ResettingServer server;
  ASSERT_FALSE(server.display().isEmpty()) << "Xvfb did not start";
  const QString home = testenv::scratch() + QStringLiteral("/resetting");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const QString dir : {"config", "state", "cache", "data", "runtime"}) {
    QDir().mkpath(home + "/" + dir);
    env.insert("XDG_" + dir.toUpper() + (dir == "runtime" ? "_DIR" : "_HOME"), home + "/" + dir);
  }
  env.insert(QStringLiteral("DISPLAY"), server.display());
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  for (int start = 1; start <= 20; ++start) {
    SCOPED_TRACE(start);
    QProcess tarvok;
    tarvok.setProcessEnvironment(env);
    QByteArray err;
    QObject::connect(&tarvok, &QProcess::readyReadStandardError, [&] { err += tarvok.readAllStandardError(); });
    tarvok.start(QStringLiteral(TARVOK_EXE), {});
    // Up and running: the launch got as far as the hot key, which needs Qt's connection.
    testenv::waitUntil([&] { return err.contains("tarvok.app: shortcut") || tarvok.state() == QProcess::NotRunning; },
                       60000);
    ASSERT_TRUE(err.contains("tarvok.app: shortcut"))
        << "ended on its own: " << (tarvok.exitStatus() == QProcess::CrashExit ? "crashed" : "exit code ")
        << tarvok.exitCode() << "\n"
        << err.constData();
    ::kill(pid_t(tarvok.processId()), SIGTERM);
    ASSERT_TRUE(tarvok.waitForFinished(30000));
    EXPECT_EQ(tarvok.exitStatus(), QProcess::NormalExit) << err.constData();
    EXPECT_EQ(tarvok.exitCode(), 0) << err.constData();
  }
}
