#include "platform/PrefStore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>

#include "tests/support/TestEnv.h"

namespace {

QString storePath(const char* name) { return testenv::scratch() + "/prefs/" + name + ".conf"; }

// Reads back what another process wrote: the point of the typed encoding.
const bool registered = (testenv::registerChild("prefstore-read", [] {
  PrefStore store(storePath("roundtrip"));
  const bool ok = store.object("flag").typeId() == QMetaType::Bool && !store.boolValue("flag") &&
                  store.stringList("one") == QStringList{"only"} && store.stringList("none") == QStringList{} &&
                  store.integer("big") == 4294967296LL && store.string("text") == QString("a, b=c") &&
                  store.object("missing").isNull();
  return ok ? 0 : 1;
}), true);

}  // namespace

TEST(PrefStore, TypesSurviveAFreshProcess) {
  {
    PrefStore store(storePath("roundtrip"));
    store.setBool("flag", false);
    store.setStringList("one", {"only"});
    store.setStringList("none", {});
    store.setInteger("big", 4294967296LL);
    store.setString("text", "a, b=c");
  }
  EXPECT_EQ(testenv::runChild("prefstore-read").exitCode, 0);
}

TEST(PrefStore, DefaultsAreUsedUntilSomethingIsStored) {
  PrefStore store(storePath("defaults"));
  store.registerDefaults({{"tables", true}, {"position", 360}});
  EXPECT_EQ(store.integer("position"), 360);
  store.setBool("tables", false);
  EXPECT_FALSE(store.boolValue("tables"));
  store.remove("tables");
  EXPECT_TRUE(store.boolValue("tables"));
  // Defaults are never written to the file.
  EXPECT_FALSE(QSettings(store.filePath(), QSettings::IniFormat).contains("position"));
}

TEST(PrefStore, HandWrittenAndMistypedValuesReadSensibly) {
  const QString path = storePath("hand");
  {
    PrefStore made(path);  // creates the folder
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("[General]\nlanguage=de\nflag=true\ncount=12\nbroken=list:[1,2]\n");
  file.close();
  PrefStore store(path);
  EXPECT_EQ(store.string("language"), QString("de"));
  EXPECT_TRUE(store.boolValue("flag"));
  EXPECT_EQ(store.integer("count"), 12);
  EXPECT_EQ(store.stringList("broken"), std::nullopt);  // a list of something other than text
  store.setStringList("list", {"a", "b"});
  EXPECT_EQ(store.string("list"), std::nullopt);
  EXPECT_EQ(store.integer("language"), 0);
}
