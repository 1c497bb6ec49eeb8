#include "core/Settings.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <atomic>
#include <thread>

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
  return {{"joinLines", s.joinLines()},
          {"tables", s.tables()},
          {"keyCode", double(s.shortcut().keyCode)},
          {"mods", double(s.shortcut().carbonMods)},
          {"language", s.language().rawValue()},
          {"recent", QJsonArray::fromStringList(s.recentLanguages())},
          {"ocrManual", s.ocrManual()},
          {"ocrLanguages", QJsonArray::fromStringList(s.ocrLanguages())},
          {"ocrFallback", s.ocrFallback()},
          {"fastMode", s.fastMode()},
          {"reports", s.reports()},
          {"recording", s.recording()},
          {"note", s.shortcutNote().value_or("none")}};
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
  Store() : prefs(testenv::scratch() + "/s-" + QUuid::createUuid().toString(QUuid::WithoutBraces) + ".conf") {}
  PrefStore prefs;
};

TEST(Settings, FirstLaunchDefaults) {
  const QJsonObject expected{{"joinLines", false}, {"tables", true},     {"keyCode", 19},
                             {"mods", 768},        {"language", "auto"}, {"recent", QJsonArray()},
                             {"ocrManual", false}, {"ocrLanguages", QJsonArray()}, {"ocrFallback", true},
                             {"fastMode", false},  {"reports", true},    {"recording", false},
                             {"note", "none"}};
  EXPECT_EQ(freshProcess({{"XDG_CONFIG_HOME", testenv::scratch() + "/empty-config"}}), expected);
}

TEST(Settings, EveryStoredValueSurvivesARestartAndNothingElse) {
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
  QJsonObject expected = dump(s);
  expected["recording"] = false;  // memory only
  expected["note"] = "none";
  EXPECT_EQ(freshProcess(), expected);

  // The one-element and empty lists are where an untyped INI store goes wrong.
  s.setOcrLanguages({});
  s.setRecentLanguages({});
  const QJsonObject o = freshProcess();
  EXPECT_EQ(o["ocrLanguages"], QJsonArray());
  EXPECT_EQ(o["recent"], QJsonArray());
}

TEST(Settings, StoredValuesAreValidatedOnRead) {
  Store st;
  st.prefs.setString("language", "sr");        // no catalogue for it
  st.prefs.setString("ocrFallback", "false");  // not a Boolean
  Settings s(st.prefs);
  EXPECT_EQ(s.language().rawValue(), "auto");
  EXPECT_EQ(st.prefs.string("language"), QString("sr"));  // not written back
  EXPECT_TRUE(s.ocrFallback());

  const Shortcut fallback = Shortcut::defaultShortcut();
  const std::tuple<qint64, std::optional<qint64>, Shortcut> shortcuts[] = {
      {96, std::nullopt, {96, 0}},  // no modifiers stored
      {-1, 768, fallback}, {19, 4294967296LL, fallback},
      {0, 4294967295LL, {0, 0x1B00}}};  // every bit: only the known four stay
  for (const auto& [code, mods, expected] : shortcuts) {
    Store stored;
    stored.prefs.setInteger("hotKeyCode", code);
    if (mods) stored.prefs.setInteger("hotKeyMods", *mods);
    EXPECT_EQ(Settings(stored.prefs).shortcut(), expected) << code;
  }
}

TEST(Settings, ChoosingALanguageUpdatesTheRecentListAndAutoLeavesIt) {
  testenv::FakeBundle bundle;
  testenv::LogCapture log("tarvok.reporting");
  Store st;
  Settings s(st.prefs);
  const std::pair<QStringList, QStringList> cases[] = {
      {{"fr", "de", "en"}, {"de", "fr", "en"}}, {{"fr", "en", "ko"}, {"de", "fr", "en"}}, {{}, {"de"}}};
  for (const auto& [before, after] : cases) {
    s.setRecentLanguages(before);
    s.setLanguage(Lang("de"));
    EXPECT_EQ(st.prefs.stringList("recentLanguages"), after);
  }
  // "auto" is stored as such, reported as what it resolves to, and kept out of the list.
  Lang::setPreferredLanguagesSource([] { return QStringList{"fr-CA"}; });
  s.setLanguage(Lang("auto"));
  Lang::setPreferredLanguagesSource({});
  EXPECT_EQ(st.prefs.string("language"), QString("auto"));
  EXPECT_EQ(s.recentLanguages(), QStringList{"de"});
  EXPECT_TRUE(log.contains("language.changed language=fr"));
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
  st.prefs.remove("tables");
  s.setTables(true);  // same as the default, written anyway
  EXPECT_EQ(st.prefs.object("tables"), QVariant(true));
  EXPECT_EQ(changes, 3);
}

}  // namespace

// The key code and its modifiers are one value: a reader of the file (or a
// crash) between two separate writes would see one shortcut's key with the
// other's modifiers.
TEST(Settings, TheShortcutIsWrittenAsOnePair) {
  Store st;
  Settings s(st.prefs);
  const Shortcut a{18, 0x100}, b{19, 0x300};
  s.setShortcut(a);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 300; ++i) s.setShortcut(i % 2 ? a : b);
    done = true;
  });
  const QRegularExpression code("^hotKeyCode=int:(\\d+)$", QRegularExpression::MultilineOption);
  const QRegularExpression mods("^hotKeyMods=int:(\\d+)$", QRegularExpression::MultilineOption);
  int reads = 0;
  QSet<QPair<uint, uint>> seen;
  while (!done) {
    QFile file(st.prefs.filePath());
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QString text = QString::fromUtf8(file.readAll());
    const auto c = code.match(text), m = mods.match(text);
    if (!c.hasMatch() || !m.hasMatch()) continue;
    seen.insert({c.captured(1).toUInt(), m.captured(1).toUInt()});
    ++reads;
  }
  writer.join();
  ASSERT_GT(reads, 0);
  const QSet<QPair<uint, uint>> whole{{a.keyCode, a.carbonMods}, {b.keyCode, b.carbonMods}};
  EXPECT_TRUE(whole.contains(seen)) << "a half-written shortcut was on disk";
}
