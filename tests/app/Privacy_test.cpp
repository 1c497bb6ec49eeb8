// The privacy statement shipped with the program against the code it
// describes: the folders where reports wait, the Info.json keys that set up
// the services, the switch's names and the preference line that turns it off.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include "analytics/CacheFile.h"
#include "analytics/ClientStore.h"
#include "app/CrashReporter.h"
#include "core/Reporting.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/PrefStore.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestEnv.h"

namespace {

QString statement() {
  QFile f(testenv::sourceResources() + "/PRIVACY.md");
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// Sets an environment variable while it lives.
class EnvScope {
 public:
  EnvScope(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name)) {
    qputenv(name, value);
  }
  ~EnvScope() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }

 private:
  const char* name_;
  QByteArray old_;
  bool had_;
};

}  // namespace

TEST(PrivacyStatement, NamesTheFoldersWhereReportsReallyWait) {
  const QString text = statement();
  ASSERT_FALSE(text.isEmpty());
  const QString base = testenv::scratch() + "/privacy";
  EnvScope cache("XDG_CACHE_HOME", (base + "/cache").toUtf8());
  EnvScope state("XDG_STATE_HOME", (base + "/state").toUtf8());
  const QString name = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName("tarvok");  // as the program calls itself

  EXPECT_EQ(CrashReporter::folder(), base + "/cache/tarvok/crash");
  EXPECT_TRUE(text.contains("`$XDG_CACHE_HOME/tarvok/crash/`"));
  EXPECT_TRUE(text.contains("`pending/`"));
  EXPECT_EQ(analytics::CacheFile::defaultPath(), base + "/cache/tarvok/analyticssignalcache");
  EXPECT_TRUE(text.contains("`$XDG_CACHE_HOME/tarvok/analyticssignalcache`"));
  EXPECT_EQ(analytics::ClientStore::defaultFolder(), base + "/state/tarvok");
  EXPECT_TRUE(text.contains("`$XDG_STATE_HOME/tarvok/`"));
  QCoreApplication::setApplicationName(name);
}

TEST(PrivacyStatement, NamesTheKeysTheSwitchAndThePreferenceTheCodeUses) {
  const QString text = statement();
  // The service keys: with each one set alone, reports count as set up.
  for (const char* key : {"TQSentryDSN", "TQTelemetryAppID"}) {
    EXPECT_TRUE(text.contains(QStringLiteral("\"%1\"").arg(QLatin1String(key)))) << key;
    testenv::FakeBundle bundle({{QLatin1String(key), "x"}});
    EXPECT_TRUE(Reporting::configured()) << key;
  }
  EXPECT_TRUE(text.contains("\"TQTelemetryURL\""));
  {
    testenv::FakeBundle bundle({{"TQTelemetryURL", "https://example.org/"}});
    EXPECT_EQ(Reporting::analyticsURL(), QStringLiteral("https://example.org/"));
  }
  EXPECT_FALSE(Reporting::configured()) << "the shipped Info.json sets up no service";
  // Every key the README names is in the shipped file, empty.
  QFile shipped(testenv::sourceResources() + "/Info.json");
  ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
  const QJsonObject info = QJsonDocument::fromJson(shipped.readAll()).object();
  EXPECT_EQ(info.keys(), (QStringList{"TQPrivacyURL", "TQProjectURL", "TQSentryDSN", "TQTelemetryAppID", "TQTelemetryURL"}));
  for (const QJsonValue& v : info) EXPECT_EQ(v, QJsonValue(QString()));

  const Strings en = L::table(Lang("en"));
  EXPECT_TRUE(text.contains("\"" + en.reports + "\""));
  EXPECT_TRUE(text.contains("\"" + en.obReports + "\""));

  // The line the switch itself writes when turned off.
  Settings& settings = Settings::shared();
  const bool was = settings.reports();
  settings.setReports(false);
  QFile written(PrefStore::standard().filePath());
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QByteArray bytes = written.readAll();
  EXPECT_TRUE(bytes.startsWith("[General]\n") && bytes.contains("\nreports=bool:false\n")) << bytes.constData();
  EXPECT_TRUE(text.contains("`reports=bool:false` under `[General]`"));
  settings.setReports(was);
}
