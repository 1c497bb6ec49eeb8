// The onboarding window's controller: one window, reported once, the ways out
// (later, try, the close button), and the permission poll.
#include "ui/onboarding/OnboardingController.h"

#include <gtest/gtest.h>

#include "platform/PrefStore.h"
#include "tests/support/TestEnv.h"
#include "tests/support/ViewProbe.h"
#include "ui/onboarding/ObButton.h"

using testenv::waitUntil;

namespace {

void click(OnboardingController& c, const char* name) {
  auto* b = c.window() ? c.window()->findChild<ObButton*>(QString::fromLatin1(name)) : nullptr;
  ASSERT_TRUE(b) << name;
  probe::click(b);
}

}  // namespace

TEST(OnboardingModel, AnnouncesOnlyRealChanges) {
  OnboardingModel m(false);
  int changed = 0, permission = 0;
  QObject::connect(&m, &OnboardingModel::changed, [&] { ++changed; });
  QObject::connect(&m, &OnboardingModel::permissionChanged, [&] { ++permission; });
  m.setPermission(false);
  m.setConflict(false);
  EXPECT_EQ(changed, 0);
  m.setPermission(true);
  m.setPermission(true);
  m.setConflict(true);
  EXPECT_EQ(permission, 1);
  EXPECT_EQ(changed, 2);
  EXPECT_FALSE(m.ready());
  m.setConflict(false);
  EXPECT_TRUE(m.ready());
}

TEST(OnboardingController, BuildsOneWindowReportsItOnceAndLaterFinishes) {
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  OnboardingController c([] { return false; });
  EXPECT_FALSE(c.window());
  EXPECT_FALSE(OnboardingController::onboarded());
  c.show();
  QWidget* first = c.window();
  ASSERT_TRUE(first && first->isVisible());
  EXPECT_TRUE(c.polling());
  EXPECT_TRUE(first->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  c.show();
  EXPECT_EQ(c.window(), first);
  EXPECT_EQ(log.reported(), QStringList{"onboarding.shown"});

  click(c, "later");
  EXPECT_EQ(log.reported(), (QStringList{"onboarding.shown", "onboarding.done permission=no"}));
  EXPECT_TRUE(PrefStore::standard().boolValue("onboarded"));
  EXPECT_FALSE(c.window()->isVisible());
  EXPECT_FALSE(c.polling());
  c.show();  // a capture failure later shows the same window, unannounced
  EXPECT_EQ(c.window(), first);
  c.close();
  EXPECT_EQ(log.reported().size(), 2) << "finished before: nothing more is sent";
}

TEST(OnboardingController, TryClosesTheWindowBeforeStartingACaptureAndChangeHandsItOver) {
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  OnboardingController c([] { return true; });
  int tries = 0;
  bool visibleDuringTry = true;
  c.onTry = [&] {
    ++tries;
    visibleDuringTry = c.window()->isVisible();
  };
  c.show();
  click(c, "change");  // nothing installed: nothing happens
  QWidget* handed = nullptr;
  c.onChangeShortcut = [&](QWidget* w) { handed = w; };
  click(c, "change");
  EXPECT_EQ(handed, c.window());
  click(c, "try");
  EXPECT_EQ(tries, 1);
  EXPECT_FALSE(visibleDuringTry);
  EXPECT_EQ(log.reported().last(), "onboarding.done permission=yes");

  c.model().setConflict(true);  // a taken shortcut disables try
  c.show();
  click(c, "try");
  EXPECT_EQ(tries, 1);
}

TEST(OnboardingController, PollSeesAGrantWithinASecondAndStopsWhenTheWindowCloses) {
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  bool granted = false;
  int asked = 0;
  OnboardingController c([&] {
    ++asked;
    return granted;
  });
  c.show();
  int flips = 0;
  QObject::connect(&c.model(), &OnboardingModel::permissionChanged, [&] { ++flips; });
  granted = true;
  EXPECT_TRUE(waitUntil([&] { return c.model().permission(); }));
  EXPECT_EQ(flips, 1);

  // The title bar's close button only hides: no finish, no signal, no poll.
  c.window()->close();
  EXPECT_FALSE(c.polling());
  granted = false;
  EXPECT_FALSE(OnboardingController::onboarded());
  EXPECT_EQ(log.reported().filter("onboarding.done").size(), 0);

  c.show();  // back on screen: asked again at once, and polled again
  EXPECT_FALSE(c.model().permission());
  EXPECT_TRUE(c.polling());
}
