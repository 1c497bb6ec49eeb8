// The real desktop-portal path over a private session bus: a fake portal in
// this process answers the way the real one does (a value wrapped in a
// variant inside a variant) and announces a change; a child process reads it.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "platform/Appearance.h"
#include "tests/support/TestEnv.h"

namespace {

const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");

void darkPalette() {
  QPalette p = QGuiApplication::palette();
  p.setColor(QPalette::Window, QColor(20, 20, 20));
  QGuiApplication::setPalette(p);
}

const bool registered = (testenv::registerChild("appearance-read", [] {
  if (qEnvironmentVariableIntValue("TARVOK_TEST_DARK_PALETTE") == 1) darkPalette();
  std::printf("dark=%d reduce=%d\n", Appearance::isDark(), Appearance::reduceMotion());
  if (qEnvironmentVariableIntValue("TARVOK_TEST_WAIT_CHANGE") != 1) return 0;
  // Wait (bounded) for the two changes the fake portal announces after being
  // read. The palette turns dark meanwhile: only the portal can say light now.
  darkPalette();
  static int changes = 0;
  QObject::connect(&Appearance::notifier(), &Appearance::Notifier::changed, qApp, [] {
    if (++changes == 2) QCoreApplication::exit(0);
  });
  QTimer::singleShot(10000, qApp, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  std::printf("dark=%d reduce=%d\n", Appearance::isDark(), Appearance::reduceMotion());
  return 0;
}), true);

}  // namespace

class FakePortal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
 public slots:
  // Dark and no animations; once both were read, a switch to light that turns
  // animations back on is announced.
  Q_SCRIPTABLE QDBusVariant Read(const QString& ns, const QString& key) {
    QVariant value;
    if (ns == "org.freedesktop.appearance" && key == "color-scheme") value = QVariant(uint(1));
    if (ns == "org.gnome.desktop.interface" && key == "enable-animations") {
      value = QVariant(false);
      QTimer::singleShot(0, this, [] {
        announce("org.freedesktop.appearance", "color-scheme", QVariant(uint(2)));
        announce("org.gnome.desktop.interface", "enable-animations", QVariant(true));
      });
    }
    return QDBusVariant(QVariant::fromValue(QDBusVariant(value)));
  }

 private:
  static void announce(const QString& ns, const QString& key, const QVariant& value) {
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, "SettingChanged");
    QDBusConnection("fake-portal").send(signal << ns << key << QVariant::fromValue(QDBusVariant(value)));
  }
};

class AppearancePortal : public ::testing::Test {
 protected:
  void SetUp() override {
    daemon_.setProgram("dbus-daemon");
    daemon_.setArguments({"--session", "--nofork", "--print-address=1"});
    daemon_.start();
    ASSERT_TRUE(daemon_.waitForStarted(10000)) << "dbus-daemon missing";
    ASSERT_TRUE(daemon_.waitForReadyRead(10000));
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    ASSERT_FALSE(address_.isEmpty());
  }
  void TearDown() override {
    if (portal_) {
      QDBusConnection::disconnectFromBus("fake-portal");
      thread_.quit();
      thread_.wait();
      delete portal_;
    }
    daemon_.terminate();
    daemon_.waitForFinished(5000);
  }

  // Serves the fake portal from a thread of its own, so that this thread may block on the child.
  void startPortal() {
    QDBusConnection bus = QDBusConnection::connectToBus(address_, "fake-portal");
    ASSERT_TRUE(bus.isConnected());
    portal_ = new FakePortal;
    thread_.start();
    portal_->moveToThread(&thread_);
    ASSERT_TRUE(bus.registerService("org.freedesktop.portal.Desktop"));
    ASSERT_TRUE(bus.registerObject(kPath, portal_, QDBusConnection::ExportScriptableSlots));
  }

  QStringList child(std::map<QString, QString> env) {
    env["DBUS_SESSION_BUS_ADDRESS"] = address_;
    const auto result = testenv::runChild("appearance-read", env);
    EXPECT_EQ(result.exitCode, 0);
    return QString::fromUtf8(result.out).trimmed().split('\n');
  }

  QProcess daemon_;
  QString address_;
  QThread thread_;
  FakePortal* portal_ = nullptr;
};

TEST_F(AppearancePortal, NoPortalOnTheBusFallsBackToThePalette) {
  EXPECT_EQ(child({{"TARVOK_TEST_DARK_PALETTE", "1"}}), QStringList{"dark=1 reduce=0"});
}

TEST_F(AppearancePortal, ReadsThePortalAndFollowsItsChanges) {
  startPortal();
  // The portal says dark and no animations even though the palette is light.
  EXPECT_EQ(child({{"TARVOK_TEST_WAIT_CHANGE", "1"}}), (QStringList{"dark=1 reduce=1", "dark=0 reduce=0"}));
}

#include "AppearancePortal_test.moc"
