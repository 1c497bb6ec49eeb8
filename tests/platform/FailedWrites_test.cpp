// Writes that fail half-way (the disk fills, the folder is read-only): every
// file is written whole or not at all, and the failure is said once. A child
// process has its file size limit at zero, so that every write of data fails
// as on a full disk, whoever runs the tests (root ignores a read-only folder).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/LoginItem.h"
#include "platform/PrefStore.h"
#include "tests/support/TestEnv.h"

namespace {

const QByteArray kOldPrefs = "[General]\njoinLines=bool:false\n";

QString folder() { return testenv::scratch() + "/full"; }

QByteArray bytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

int fullDiskChild() {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit none{0, RLIM_INFINITY};
  if (::setrlimit(RLIMIT_FSIZE, &none) != 0) return 2;
  QStringList faults;
  auto check = [&](bool ok, const QString& what) {
    if (!ok) faults << what;
  };

  const QString png = folder() + "/shot.png";
  QString problem;
  check(!atomicfile::write(png, QByteArray(5000, 'x'), &problem) && !problem.isEmpty(), "the write said it succeeded");
  check(bytes(png) == "old picture", "the old file did not stand: " + bytes(png));

  testenv::LogCapture log(QStringLiteral("tarvok"));
  {
    PrefStore store(folder() + "/tarvok.conf");
    store.setBool("joinLines", true);
    store.setInteger("hotKeyCode", 20);
    check(store.boolValue("joinLines"), "the change is lost for this run");
  }
  check(bytes(folder() + "/tarvok.conf") == kOldPrefs, "the preferences changed: " + bytes(folder() + "/tarvok.conf"));
  check(log.lines().filter("could not be saved").size() == 1, "not said once: " + log.lines().join(" | "));

  check(!LoginItem::setEnabled(true), "the login entry said it was written");
  check(!QFileInfo::exists(LoginItem::entryPath()), "a login entry was left: " + bytes(LoginItem::entryPath()));
  check(log.lines().filter("start at login").size() == 1, "the login entry's failure was not said");

  // Nothing half-written is left beside them.
  const QStringList left = QDir(folder()).entryList(QDir::Files, QDir::Name);
  check(left == QStringList({"shot.png", "tarvok.conf"}), "left behind: " + left.join(' '));
  const QStringList autostart = QDir(QFileInfo(LoginItem::entryPath()).path()).entryList(QDir::Files);
  check(autostart.isEmpty(), "left in autostart: " + autostart.join(' '));

  std::fputs(qPrintable(faults.join('\n')), stdout);
  return faults.isEmpty() ? 0 : 1;
}

const bool registered = (testenv::registerChild("full-disk", fullDiskChild), true);

}  // namespace

TEST(FailedWrites, AFullDiskLeavesEveryOldFileWholeAndNoNewOneAndSaysSoOnce) {
  QDir().mkpath(folder());
  for (const auto& [name, content] : {std::pair{"shot.png", QByteArray("old picture")}, {"tarvok.conf", kOldPrefs}}) {
    QFile f(folder() + "/" + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(content), content.size());
  }
  const testenv::ChildResult r = testenv::runChild("full-disk");
  EXPECT_EQ(r.exitCode, 0) << r.ending.toStdString() << "\n" << r.out.toStdString();
}
