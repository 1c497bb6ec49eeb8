#include "platform/ScreenAccess.h"

#include <gtest/gtest.h>

#include <QSet>

TEST(ScreenAccess, NoXConnectionMeansNoAccess) {
  // The offscreen platform has no X server behind it.
  EXPECT_FALSE(ScreenAccess::granted());
}

TEST(ScreenAccess, SettingsProgramFollowsTheDesktopAndWhatIsInstalled) {
  QSet<QString> installed{"gnome-control-center", "systemsettings"};
  auto which = [&](const QString& name) { return installed.contains(name) ? "/usr/bin/" + name : QString(); };

  auto gnome = ScreenAccess::settingsCommand("ubuntu:GNOME", which);
  ASSERT_TRUE(gnome);
  EXPECT_EQ(gnome->program, "/usr/bin/gnome-control-center");
  EXPECT_EQ(gnome->arguments, QStringList{"privacy"});

  auto kde = ScreenAccess::settingsCommand("kde", which);
  ASSERT_TRUE(kde);
  EXPECT_EQ(kde->program, "/usr/bin/systemsettings");
  EXPECT_TRUE(kde->arguments.isEmpty());

  EXPECT_FALSE(ScreenAccess::settingsCommand("XFCE", which));  // known, but not installed
  EXPECT_FALSE(ScreenAccess::settingsCommand("openbox", which));
}
