#include "core/Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>
#include <cstdio>

#include "platform/PrefStore.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestEnv.h"

namespace {

QJsonObject dump(const Settings& s) {
  QJsonObject o;
  o["joinLines"] = s.joinLines();
  o["tables"] = s.tables();
  o["keyCode"] = double(s.shortcut().keyCode);
  o["mods"] = double(s.shortcut().carbonMods);
  o["language"] = s.language().rawValue();
  o["recent"] = QJsonArray::fromStringList(s.recentLanguages());
  o["ocrManual"] = s.ocrManual();
  o["ocrLanguages"] = QJsonArray::fromStringList(s.ocrLanguages());
  o["ocrFallback"] = s.ocrFallback();
  o["fastMode"] = s.fastMode();
  o["reports"] = s.reports();
  return o;
}

const bool registered = (testenv::registerChild("settings-dump", [] {
  std::fputs(QJsonDocument(dump(Settings::shared())).toJson(QJsonDocument::Compact).constData(), stdout);
  return 0;
}), true);

QJsonObject freshProcess(const std::map<QString, QString>& env = {}) {
  const auto result = testenv::runChild("settings-dump", env);
  EXPECT_EQ(result.exitCode, 0);
  return QJsonDocument::fromJson(result.out).object();
}

// A private store, written before a Settings object reads it.
struct Store {
  Store() : path(testenv::scratch() + "/s-" + QUuid::createUuid().toString(QUuid::WithoutBraces) + ".conf"),
            prefs(path) {}
  QString path;
  PrefStore prefs;
};

TEST(Settings, FirstLaunchDefaults) {
  const QJsonObject o = freshProcess({{"XDG_CONFIG_HOME", testenv::scratch() + "/empty-config"}});
  EXPECT_EQ(o["joinLines"], false);
  EXPECT_EQ(o["tables"], true);
  EXPECT_EQ(o["keyCode"], 19);
  EXPECT_EQ(o["mods"], 768);
  EXPECT_EQ(o["language"], "auto");
  EXPECT_EQ(o["recent"], QJsonArray());
  EXPECT_EQ(o["ocrManual"], false);
  EXPECT_EQ(o["ocrLanguages"], QJsonArray());
  EXPECT_EQ(o["ocrFallback"], true);
  EXPECT_EQ(o["fastMode"], false);
  EXPECT_EQ(o["reports"], true);
  const Settings& s = Settings::shared();
  EXPECT_FALSE(s.recording());
  EXPECT_EQ(s.shortcutNote(), std::nullopt);
}

TEST(Settings, EveryValueSurvivesARestart) {
  Settings& s = Settings::shared();
  s.setJoinLines(true);
  s.setTables(false);
  s.setShortcut(Shortcut{96, 0});
  s.setLanguage(Lang("ko"));
  s.setOcrManual(true);
  s.setOcrLanguages({"ko-KR"});
  s.setOcrFallback(false);
  s.setFastMode(true);
  s.setReports(false);
  s.setRecording(true);
  s.setShortcutNote(QString("note"));
  EXPECT_EQ(freshProcess(), dump(s));

  // The one-element and empty lists are where an untyped INI store goes wrong.
  s.setOcrLanguages({});
  s.setRecentLanguages({});
  const QJsonObject o = freshProcess();
  EXPECT_EQ(o["ocrLanguages"], QJsonArray());
  EXPECT_EQ(o["recent"], QJsonArray());
  EXPECT_EQ(o["ocrFallback"], false);
}

TEST(Settings, StoredValuesAreValidatedOnRead) {
  Store st;
  st.prefs.setInteger("hotKeyCode", 96);  // no modifiers stored
  st.prefs.setString("language", "sr");  // no catalogue for it
  st.prefs.setString("ocrFallback", "false");  // not a Boolean
  Settings s(st.prefs);
  EXPECT_EQ(s.shortcut(), (Shortcut{96, 0}));
  EXPECT_EQ(s.language().rawValue(), "auto");
  EXPECT_EQ(st.prefs.string("language"), QString("sr"));  // not written back
  EXPECT_TRUE(s.ocrFallback());
}

TEST(Settings, OutOfRangeShortcutsReadAsTheDefault) {
  const std::pair<qint64, qint64> bad[] = {{-1, 768}, {4294967296LL, 0}, {19, -5}, {19, 4294967296LL}};
  for (const auto& [code, mods] : bad) {
    Store st;
    st.prefs.setInteger("hotKeyCode", code);
    st.prefs.setInteger("hotKeyMods", mods);
    EXPECT_EQ(Settings(st.prefs).shortcut(), Shortcut::defaultShortcut()) << code << " " << mods;
  }
  Store st;
  st.prefs.setInteger("hotKeyCode", 0);
  st.prefs.setInteger("hotKeyMods", 4294967295LL);  // every bit: only the known four stay
  EXPECT_EQ(Settings(st.prefs).shortcut(), (Shortcut{0, 0x1B00}));
}

TEST(Settings, ChoosingALanguageUpdatesTheRecentList) {
  testenv::FakeBundle bundle;
  Store st;
  Settings s(st.prefs);
  const std::pair<QStringList, QStringList> cases[] = {
      {{"fr", "de", "en"}, {"de", "fr", "en"}},
      {{"fr", "en", "ko"}, {"de", "fr", "en"}},
      {{}, {"de"}},
      {{"de"}, {"de"}},
  };
  for (const auto& [before, after] : cases) {
    s.setRecentLanguages(before);
    s.setLanguage(Lang("de"));
    EXPECT_EQ(s.recentLanguages(), after);
    EXPECT_EQ(st.prefs.stringList("recentLanguages"), after);
  }
}

TEST(Settings, AutoIsStoredAndReportedResolvedWithoutTouchingRecent) {
  testenv::FakeBundle bundle;
  Lang::setPreferredLanguagesSource([] { return QStringList{"fr-CA"}; });
  testenv::LogCapture log("tarvok.reporting");
  Store st;
  Settings s(st.prefs);
  s.setRecentLanguages({"ko", "de"});
  s.setLanguage(Lang("auto"));
  EXPECT_EQ(st.prefs.string("language"), QString("auto"));
  EXPECT_EQ(s.recentLanguages(), (QStringList{"ko", "de"}));
  EXPECT_TRUE(log.contains("language.changed language=fr"));
  Lang::setPreferredLanguagesSource({});
}

TEST(Settings, EqualAssignmentsStillWriteAndSignal) {
  testenv::LogCapture log("tarvok.reporting");
  Store st;
  Settings s(st.prefs);
  int changes = 0;
  QObject::connect(&s, &Settings::changed, [&] { ++changes; });
  s.setFastMode(false);
  s.setFastMode(false);
  EXPECT_EQ(log.lines().filter("mode.changed mode=accurate").size(), 2);
  EXPECT_EQ(st.prefs.object("fastMode"), QVariant(false));
  st.prefs.remove("tables");
  s.setTables(true);  // same as the default, written anyway
  EXPECT_EQ(st.prefs.object("tables"), QVariant(true));
  EXPECT_EQ(changes, 3);
}

TEST(Settings, InMemoryFieldsAreNeverStored) {
  Store st;
  Settings s(st.prefs);
  s.setRecording(true);
  s.setShortcutNote(QString("Hold Ctrl"));
  EXPECT_FALSE(st.prefs.contains("recording"));
  EXPECT_FALSE(st.prefs.contains("shortcutNote"));
  EXPECT_EQ(s.shortcutNote(), QString("Hold Ctrl"));
}

}  // namespace
