// The launch's lasting decisions: the hot key with its fallback (the conflict
// matrix), the one-time login item, the greeting, and telling repeats of a
// held hot key from new presses.
#include "app/Launch.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <memory>

#include "app/HotKeyRepeats.h"
#include "core/Settings.h"
#include "platform/LoginItem.h"
#include "platform/PrefStore.h"
#include "tests/support/TestEnv.h"

namespace {

const Shortcut kStored{40, Shortcut::kCommand | Shortcut::kOption};  // Ctrl+Alt+K

struct Registrar {
  std::vector<Shortcut> taken;
  std::vector<Shortcut> tried;
  bool operator()(Shortcut s) {
    tried.push_back(s);
    return std::find(taken.begin(), taken.end(), s) == taken.end();
  }
};

}  // namespace

TEST(Launch, HotKeyFallsBackToTheDefaultAndMarksAConflictOnlyWhenThatIsTakenToo) {
  struct Case {
    std::vector<Shortcut> taken;
    Shortcut stored;
    bool conflict;
    std::vector<Shortcut> tried;
  };
  const Shortcut def = Shortcut::defaultShortcut();
  const Case cases[] = {
      {{}, kStored, false, {kStored}},                 // stored free: kept
      {{kStored}, def, false, {kStored, def}},         // stored taken, default free: default stored
      {{kStored, def}, def, true, {kStored, def}},     // both taken: default stored, conflict
      {{def}, def, true, {def, def}},                  // the default itself taken
  };
  int n = 0;
  for (const Case& c : cases) {
    PrefStore store(testenv::scratch() + QStringLiteral("/launch%1.conf").arg(n++));
    Settings settings(store);
    settings.setShortcut(c.tried.front());
    Registrar reg{c.taken, {}};
    EXPECT_EQ(launch::registerHotKey(settings, std::ref(reg)), c.conflict) << n;
    EXPECT_EQ(settings.shortcut(), c.stored) << n;
    EXPECT_EQ(reg.tried, c.tried) << n;
    // What was stored is what a fresh launch reads.
    EXPECT_EQ(Settings(store).shortcut(), c.stored) << n;
  }
}

TEST(Launch, GreetingIsTheOnboardingWindowUntilOnboardedThenTheConflictToastOnlyForAConflict) {
  EXPECT_EQ(launch::greeting(false, false), launch::Greeting::onboarding);
  EXPECT_EQ(launch::greeting(false, true), launch::Greeting::onboarding);
  EXPECT_EQ(launch::greeting(true, true), launch::Greeting::conflictToast);
  EXPECT_EQ(launch::greeting(true, false), launch::Greeting::nothing);
}

TEST(Launch, LoginItemIsSetUpOnTheFirstLaunchOnly) {
  PrefStore store(testenv::scratch() + QStringLiteral("/login.conf"));
  QFile::remove(LoginItem::entryPath());
  launch::enableLoginOnFirstRun(store);
  EXPECT_TRUE(LoginItem::isEnabled());
  EXPECT_TRUE(store.boolValue(QStringLiteral("loginItemSetUp")));

  // The user turned it off: later launches leave it off.
  LoginItem::setEnabled(false);
  launch::enableLoginOnFirstRun(store);
  EXPECT_FALSE(LoginItem::isEnabled());
}

TEST(HotKeyRepeats, PressesBeforeTheReleaseOrAtItsTimeAreRepeats) {
  std::optional<uint8_t> hot = 11;
  HotKeyRepeats repeats([&] { return hot; });
  auto pressAt = [](uint32_t time) {
    auto e = std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier, 11, 0, 0);
    e->setTimestamp(time);
    return e;
  };
  repeats.note(true, 11, 100);  // the press that opened the overlay, on the root window
  EXPECT_FALSE(repeats.lastPressRepeated());
  repeats.note(true, 11, 140);  // detectable auto-repeat: presses without releases
  EXPECT_TRUE(repeats.lastPressRepeated());
  EXPECT_TRUE(repeats.isRepeat(*pressAt(140)));
  repeats.note(true, 30, 150);  // another key changes nothing
  repeats.note(false, 11, 180);
  repeats.note(true, 11, 180);  // classic auto-repeat: release and press at one time
  EXPECT_TRUE(repeats.isRepeat(*pressAt(180)));
  repeats.note(false, 11, 200);
  repeats.note(true, 11, 900);  // let go, then pressed again: a new press
  EXPECT_FALSE(repeats.lastPressRepeated());
  EXPECT_FALSE(repeats.isRepeat(*pressAt(900)));
  EXPECT_FALSE(repeats.isRepeat(*pressAt(100)));

  hot.reset();  // no hot key: nothing is a repeat
  repeats.note(true, 11, 950);
  EXPECT_FALSE(repeats.isRepeat(*pressAt(950)));
}
