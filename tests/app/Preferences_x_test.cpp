// The real program started on preference files it cannot read back as it
// would write them: each is kept aside whole, and the program runs with
// defaults. A file it wrote itself keeps every key it does not know.
#include <gtest/gtest.h>

#include <QFile>

#include "platform/PrefStore.h"
#include "tests/app/XApp.h"
#include "tests/platform/PrefGarbage.h"

using xapp::App;

namespace {

QString conf(const QString& name) { return testenv::scratch() + "/" + name + "/config/tarvok/tarvok.conf"; }

QByteArray bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Starts the program and waits until its launch is through (the hot key is the last step).
::testing::AssertionResult launched(App& app) {
  app.start();
  if (!app.waitLog("tarvok.app: shortcut", 1, 20000) || !app.running())
    return ::testing::AssertionFailure() << "did not come up:\n" << app.log().constData();
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(PreferencesX, AnUnreadableFileIsKeptAsideWholeAndTheProgramRunsWithDefaults) {
  // What a first start writes on its own: the file a start with defaults leaves.
  QByteArray fresh;
  {
    App first(QStringLiteral("prefs-first"), false);
    ASSERT_TRUE(launched(first));
    fresh = bytes(conf("prefs-first"));
    EXPECT_EQ(first.stop(), "exit 0");
  }
  ASSERT_FALSE(fresh.isEmpty());
  int n = 0;
  for (const auto& [kind, content] : prefgarbage::kinds()) {
    SCOPED_TRACE(kind);
    const QString name = QStringLiteral("prefs-garbage%1").arg(n++);
    App app(name, false);
    QDir().mkpath(QFileInfo(conf(name)).absolutePath());
    QFile file(conf(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    ASSERT_TRUE(launched(app));
    const QStringList kept = prefgarbage::keptAside(conf(name));
    ASSERT_EQ(kept.size(), 1);
    const QString aside = QFileInfo(conf(name)).absolutePath() + "/" + kept[0];
    EXPECT_EQ(bytes(aside), content);
    EXPECT_EQ(bytes(conf(name)), fresh);
    // One line names both files.
    EXPECT_TRUE(app.log().contains((conf(name) + " cannot be read (").toUtf8())) << app.log().constData();
    EXPECT_TRUE(app.log().contains(("it is kept as " + aside + " and tarvok goes on with default settings\n").toUtf8()))
        << app.log().constData();
    EXPECT_EQ(app.stop(), "exit 0");
  }
}

TEST(PreferencesX, AFileTheProgramWroteKeepsTheKeysItDoesNotKnowByteForByte) {
  const QString path = conf("prefs-own");
  {
    App made(QStringLiteral("prefs-own"));  // onboarded
    PrefStore newer(path);  // a later version, with keys this one does not know
    newer.setString("aNewerKey", QString::fromUtf8("a \"quoted\", comma; é 한 \\ \t end  "));
    newer.setStringList("zList", {"x", "y, z"});
    newer.setDouble("middle", 0.1);
  }
  const QByteArray before = bytes(path);
  App app(QStringLiteral("prefs-own"), false);
  ASSERT_TRUE(launched(app));
  QList<QByteArray> lines = bytes(path).split('\n');
  ASSERT_EQ(lines.removeIf([](const QByteArray& line) { return line.startsWith("loginItemSetUp="); }), 1)
      << "the start saved its first-run flag";
  EXPECT_EQ(lines.join('\n'), before);
  EXPECT_TRUE(prefgarbage::keptAside(path).isEmpty());
  EXPECT_EQ(app.stop(), "exit 0");
}
