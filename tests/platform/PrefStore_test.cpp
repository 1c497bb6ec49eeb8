#include "platform/PrefStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>

#include "platform/PrefFile.h"
#include "tests/platform/PrefGarbage.h"
#include "tests/support/TestEnv.h"

namespace {

QString storePath(const char* name) { return testenv::scratch() + "/prefs/" + name + ".conf"; }

QByteArray bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  ASSERT_EQ(f.write(content), content.size());
}

// Reads back what another process wrote: the point of the typed encoding.
const bool registered = (testenv::registerChild("prefstore-read", [] {
  PrefStore store(storePath("roundtrip"));
  const bool ok = store.object("flag").typeId() == QMetaType::Bool && !store.boolValue("flag") &&
                  store.stringList("one") == QStringList{"only"} && store.stringList("none") == QStringList{} &&
                  store.integer("big") == 4294967296LL && store.string("text") == QString("a, b=c") &&
                  store.object("missing").isNull();
  return ok ? 0 : 1;
}), true);

// A named pipe where the file should be: nothing of it is read, the store
// starts at once with its defaults and moves the pipe aside at the first save.
const bool fifoRegistered = (testenv::registerChild("prefstore-fifo", [] {
  const QString path = storePath("fifo");
  QDir().mkpath(QFileInfo(path).absolutePath());
  if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0) return 2;
  {
    PrefStore store(path);
    store.registerDefaults({{"tables", true}});
    if (!store.boolValue("tables") || store.boolValue("fastMode")) return 3;
    store.setBool("joinLines", true);
  }
  const QFileInfo info(path);
  const QStringList kept = QDir(info.absolutePath()).entryList({info.fileName() + ".unreadable-*"}, QDir::System);
  struct stat st {};
  const bool pipeKept = kept.size() == 1 &&
                        ::stat(QFile::encodeName(QFileInfo(path).absolutePath() + "/" + kept[0]).constData(), &st) == 0 &&
                        S_ISFIFO(st.st_mode);
  return pipeKept && QFileInfo(path).isFile() && PrefStore(path).boolValue("joinLines") ? 0 : 4;
}), true);

}  // namespace

TEST(PrefStore, ANamedPipeInPlaceOfTheFileIsNeverWaitedOnAndIsMovedAside) {
  EXPECT_EQ(testenv::runChild("prefstore-fifo").exitCode, 0);
}

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
  // Written by hand, but as the store would write it back (keys in order, no
  // spaces, no unquoted commas): nothing is lost by a save.
  file.write("[General]\nbroken=list:[1]\ncount=12\nflag=true\nlanguage=de\n");
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

TEST(PrefStore, AFileItCannotReadIsNotReadAndIsMovedAsideWholeBeforeTheFirstSave) {
  int n = 0;
  for (const auto& [kind, content] : prefgarbage::kinds()) {
    SCOPED_TRACE(kind);
    const QString path = testenv::scratch() + QStringLiteral("/garbage%1/tarvok.conf").arg(n++);
    put(path, content);
    {
      PrefStore store(path);
      EXPECT_FALSE(store.boolValue("fastMode"));  // defaults: nothing of it was read
      EXPECT_EQ(bytes(path), content) << "reading alone changes nothing";
      EXPECT_TRUE(prefgarbage::keptAside(path).isEmpty());
      store.setBool("joinLines", true);
      store.setInteger("hotKeyCode", 20);  // a second save keeps nothing aside again
      EXPECT_TRUE(store.boolValue("joinLines"));
    }
    const QStringList kept = prefgarbage::keptAside(path);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(bytes(QFileInfo(path).absolutePath() + "/" + kept[0]), content);
    EXPECT_EQ(bytes(path), QByteArray("[General]\nhotKeyCode=int:20\njoinLines=bool:true\n"));
    PrefStore again(path);
    EXPECT_TRUE(again.boolValue("joinLines"));
    EXPECT_FALSE(again.boolValue("fastMode"));
  }
}

TEST(PrefStore, AFileItWroteKeepsEveryOtherKeyByteForByteThroughASave) {
  const QString path = storePath("foreign");
  {
    PrefStore other(path);  // a newer tarvok, say, with keys this one does not know
    other.setString("aNewerKey", QString::fromUtf8("a \"quoted\", comma; é 한 \\ \t end  "));
    other.setStringList("zList", {"x", "y, z"});
    other.setDouble("mid", 0.1);
    other.setBool("onboarded", true);
  }
  const QByteArray before = bytes(path);
  {
    PrefStore store(path);
    store.setBool("joinLines", true);
    store.setInteger("hotKeyCode", 19);
  }
  QList<QByteArray> lines = bytes(path).split('\n');
  lines.removeIf([](const QByteArray& line) { return line.startsWith("joinLines=") || line.startsWith("hotKeyCode="); });
  EXPECT_EQ(lines.join('\n'), before);
  EXPECT_TRUE(prefgarbage::keptAside(path).isEmpty());
}

TEST(PrefStore, AFileSpoiltWhileTheProgramRunsIsMovedAsideAtTheNextSave) {
  const QString path = storePath("spoilt");
  PrefStore store(path);
  store.setBool("tables", false);
  const QByteArray spoilt = "[General]\ntables=bool:false\ntables=bool:true\n";
  put(path, spoilt);
  store.setBool("joinLines", true);
  const QStringList kept = prefgarbage::keptAside(path);
  ASSERT_EQ(kept.size(), 1);
  EXPECT_EQ(bytes(QFileInfo(path).absolutePath() + "/" + kept[0]), spoilt);
  EXPECT_EQ(bytes(path), QByteArray("[General]\njoinLines=bool:true\n"));
  // A clean change by someone else is merged, not moved aside.
  put(path, "[General]\njoinLines=bool:true\nmine=str:kept\n");
  store.setBool("tables", true);
  EXPECT_EQ(bytes(path), QByteArray("[General]\njoinLines=bool:true\nmine=str:kept\ntables=bool:true\n"));
  EXPECT_EQ(prefgarbage::keptAside(path).size(), 1);
}

TEST(PrefStore, AnUnreadableFileMendedBeforeTheFirstSaveIsSavedIntoNotMovedAside) {
  const QString path = storePath("mended");
  put(path, "[General]\ntables=bool:false\ntables=bool:true\n");
  PrefStore store(path);
  EXPECT_FALSE(store.object("tables").isValid());  // not read
  put(path, "[General]\ntables=bool:false\n");  // the user repairs it by hand
  store.setBool("joinLines", true);
  EXPECT_TRUE(prefgarbage::keptAside(path).isEmpty());
  EXPECT_EQ(bytes(path), QByteArray("[General]\njoinLines=bool:true\ntables=bool:false\n"));
}

TEST(PrefFile, SetAsideNamesTheMomentAndNeverReplacesAnEarlierCopy) {
  const QString path = testenv::scratch() + "/aside/tarvok.conf";
  const QDateTime when(QDate(2024, 3, 9), QTime(7, 5, 1));
  put(path, "first");
  EXPECT_EQ(preffile::setAside(path, when), path + ".unreadable-20240309-070501");
  put(path, "second");
  EXPECT_EQ(preffile::setAside(path, when), path + ".unreadable-20240309-070501-2");
  EXPECT_EQ(bytes(path + ".unreadable-20240309-070501"), QByteArray("first"));
  EXPECT_EQ(bytes(path + ".unreadable-20240309-070501-2"), QByteArray("second"));
  EXPECT_FALSE(QFile::exists(path));
  // A folder where the file goes (CI runs as root: nothing else is unreadable) is moved too.
  QDir().mkpath(path);
  EXPECT_FALSE(preffile::problem(path).isEmpty());
  EXPECT_EQ(preffile::setAside(path, when), path + ".unreadable-20240309-070501-3");
  // Exactly the bound is still read.
  QByteArray atBound = "[General]\nk=str:";
  atBound += QByteArray(preffile::kMaxBytes - atBound.size() - 1, 'x') + "\n";
  put(path, atBound);
  EXPECT_EQ(preffile::problem(path), QString());
}
