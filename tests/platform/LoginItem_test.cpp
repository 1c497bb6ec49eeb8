#include "platform/LoginItem.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

void writeEntry(const QByteArray& text) {
  QDir().mkpath(QFileInfo(LoginItem::entryPath()).absolutePath());
  QFile file(LoginItem::entryPath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(text);
}

}  // namespace

TEST(LoginItem, WritesAnEntryThatRunsThisExecutableAndRemovesIt) {
  ASSERT_TRUE(LoginItem::entryPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/"));
  EXPECT_FALSE(LoginItem::isEnabled());
  EXPECT_TRUE(LoginItem::setEnabled(false));  // removing nothing is fine

  ASSERT_TRUE(LoginItem::setEnabled(true));
  EXPECT_TRUE(LoginItem::isEnabled());
  QFile file(LoginItem::entryPath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
  EXPECT_TRUE(text.contains("\nType=Application\n"));
  EXPECT_TRUE(text.contains("\nExec=" + LoginItem::quoteExec(QCoreApplication::applicationFilePath()).toUtf8() + "\n"));

  ASSERT_TRUE(LoginItem::setEnabled(false));
  EXPECT_FALSE(QFile::exists(LoginItem::entryPath()));
  EXPECT_FALSE(LoginItem::isEnabled());
}

TEST(LoginItem, EntriesSwitchedOffOrHiddenDoNotCount) {
  writeEntry("[Desktop Entry]\nType=Application\nExec=tarvok\nHidden=true\n");
  EXPECT_FALSE(LoginItem::isEnabled());
  writeEntry("[Desktop Entry]\nExec=tarvok\nX-GNOME-Autostart-enabled=false\n");
  EXPECT_FALSE(LoginItem::isEnabled());
  // Keys of other groups say nothing about the entry.
  writeEntry("[Desktop Entry]\nExec=tarvok\n[Desktop Action x]\nHidden=true\n");
  EXPECT_TRUE(LoginItem::isEnabled());
}

TEST(LoginItem, FailuresAreReportedAndLeaveItOff) {
  const QString folder = QFileInfo(LoginItem::entryPath()).absolutePath();
  QDir(folder).removeRecursively();
  QDir().mkpath(QFileInfo(folder).absolutePath());
  {
    QFile blocker(folder);  // a file where the folder should be
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  }
  EXPECT_FALSE(LoginItem::setEnabled(true));
  EXPECT_FALSE(LoginItem::isEnabled());
  QFile::remove(folder);

  // A folder at the entry's path cannot be removed as the entry, nor read as one.
  QDir().mkpath(LoginItem::entryPath());
  EXPECT_FALSE(LoginItem::isEnabled());
  EXPECT_FALSE(LoginItem::setEnabled(false));
  QDir(LoginItem::entryPath()).removeRecursively();
}

TEST(LoginItem, ExecPathsAreQuotedByTheDesktopEntryRules) {
  EXPECT_EQ(LoginItem::quoteExec("/usr/bin/tarvok"), "/usr/bin/tarvok");
  EXPECT_EQ(LoginItem::quoteExec("/opt/my apps/tarvok"), "\"/opt/my apps/tarvok\"");
  // Inside quotes $ and " take a backslash, and every backslash is doubled again for the file.
  EXPECT_EQ(LoginItem::quoteExec("/a$b/\"c\""), "\"/a\\\\$b/\\\\\"c\\\\\"\"");
  EXPECT_EQ(LoginItem::quoteExec("/x/100%"), "/x/100%%");
}
