#include "app/ShortcutRecorder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/PrefStore.h"
#include "tests/support/TestEnv.h"

namespace {

// X keycodes of a PC keyboard (evdev + 8).
constexpr quint32 kEsc = 9, k2 = 11, kA = 38, kC = 54, kK = 45, kF5 = 71, kShiftL = 50, kCtrlL = 37;

std::unique_ptr<QKeyEvent> key(quint32 scan, Qt::KeyboardModifiers mods = {}, int qtKey = 0) {
  return std::make_unique<QKeyEvent>(QEvent::KeyPress, qtKey, mods, scan, 0, 0);
}

struct RecorderTest : ::testing::Test {
  PrefStore store{testenv::scratch() + QStringLiteral("/recorder-%1.conf").arg(
                      QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()))};
  Settings settings{store};
  std::vector<Shortcut> taken;
  std::vector<Shortcut> registered;
  int unregisters = 0;
  std::optional<bool> conflict;
  testenv::LogCapture log{QStringLiteral("tarvok.reporting")};
  ShortcutRecorder recorder{settings,
                            {[this](Shortcut s) {
                               if (std::find(taken.begin(), taken.end(), s) != taken.end()) return false;
                               registered.push_back(s);
                               return true;
                             },
                             [this] { ++unregisters; }, [this](bool c) { conflict = c; }, [] { return nullptr; }}};
  Strings t = L::table(Lang(QStringLiteral("en")));

  void SetUp() override { settings.setLanguage(Lang(QStringLiteral("en"))); }
};

}  // namespace

TEST_F(RecorderTest, ModifiersAloneAreWaitedPastAKeyWithoutCtrlAltOrSuperGetsANoteAndF5AloneIsTaken) {
  recorder.start(nullptr);
  EXPECT_TRUE(settings.recording());
  EXPECT_EQ(unregisters, 1);  // the old combination can be pressed and recorded

  EXPECT_EQ(recorder.recorded(*key(kCtrlL, Qt::ControlModifier, Qt::Key_Control)), ShortcutRecorder::Outcome::ignored);
  EXPECT_EQ(recorder.recorded(*key(kShiftL, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Shift)),
            ShortcutRecorder::Outcome::ignored);
  EXPECT_EQ(settings.shortcutNote(), std::nullopt);

  EXPECT_EQ(recorder.recorded(*key(kA, Qt::ShiftModifier)), ShortcutRecorder::Outcome::needModifier);
  EXPECT_EQ(settings.shortcutNote(), t.needModifier);
  EXPECT_TRUE(settings.recording());
  // Escape with a modifier is a key like any other.
  EXPECT_EQ(recorder.recorded(*key(kEsc, Qt::ShiftModifier, Qt::Key_Escape)), ShortcutRecorder::Outcome::needModifier);

  EXPECT_EQ(recorder.recorded(*key(kF5)), ShortcutRecorder::Outcome::recorded);
  EXPECT_EQ(settings.shortcut(), (Shortcut{96, 0}));
  EXPECT_EQ(Settings(store).shortcut(), (Shortcut{96, 0}));
  EXPECT_EQ(settings.shortcutNote(), std::nullopt);
  EXPECT_EQ(conflict, false);
  EXPECT_FALSE(settings.recording());
  EXPECT_TRUE(log.contains(QStringLiteral("shortcut.changed")));
}

TEST_F(RecorderTest, TakenAndEditingCombinationsAreRefusedWithTheirCapsAndEscapeRestoresTheStoredOne) {
  const Shortcut ctrlAltK{40, Shortcut::kCommand | Shortcut::kOption};
  taken = {ctrlAltK};
  recorder.start(nullptr);
  EXPECT_EQ(recorder.recorded(*key(kK, Qt::ControlModifier | Qt::AltModifier)), ShortcutRecorder::Outcome::taken);
  EXPECT_EQ(settings.shortcutNote(), t.taken(QStringLiteral("Ctrl+Alt+K")));
  EXPECT_EQ(unregisters, 2);  // no hot key while the recording goes on
  // Ctrl+C would break copying everywhere: refused even though nobody holds it.
  EXPECT_EQ(recorder.recorded(*key(kC, Qt::ControlModifier)), ShortcutRecorder::Outcome::taken);
  EXPECT_EQ(settings.shortcutNote(), t.taken(QStringLiteral("Ctrl+C")));
  EXPECT_TRUE(registered.empty());
  EXPECT_TRUE(settings.recording());

  EXPECT_EQ(recorder.recorded(*key(kEsc, {}, Qt::Key_Escape)), ShortcutRecorder::Outcome::cancelled);
  EXPECT_FALSE(settings.recording());
  EXPECT_EQ(settings.shortcutNote(), std::nullopt);
  EXPECT_EQ(registered, std::vector<Shortcut>{Shortcut::defaultShortcut()});
  EXPECT_EQ(conflict, false);
  EXPECT_EQ(settings.shortcut(), Shortcut::defaultShortcut());
}

TEST_F(RecorderTest, PressingTheControlAgainCancelsAndATakenStoredShortcutMarksTheConflict) {
  recorder.start(nullptr);
  taken = {Shortcut::defaultShortcut()};  // another program took it meanwhile
  recorder.start(nullptr);
  EXPECT_FALSE(settings.recording());
  EXPECT_EQ(conflict, true);

  // The old combination pressed while recording is simply recorded again.
  taken.clear();
  recorder.start(nullptr);
  EXPECT_EQ(recorder.recorded(*key(k2, Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_At)),
            ShortcutRecorder::Outcome::recorded);
  EXPECT_EQ(settings.shortcut(), Shortcut::defaultShortcut());
  EXPECT_EQ(conflict, false);
}

TEST_F(RecorderTest, NoKeyPressOrShortcutReachesTheProgramWhileRecording) {
  QLineEdit field;
  field.show();
  recorder.start(&field);
  QKeyEvent override(QEvent::ShortcutOverride, Qt::Key_Q, Qt::ControlModifier, 24 + 8, 0, 0);
  QApplication::sendEvent(&field, &override);
  EXPECT_TRUE(override.isAccepted());
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, kA, 0, 0, QStringLiteral("A"));
  QApplication::sendEvent(&field, &letter);
  EXPECT_EQ(field.text(), QString());
  EXPECT_EQ(settings.shortcutNote(), t.needModifier);

  recorder.cancel();
  QKeyEvent after(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, kA, 0, 0, QStringLiteral("A"));
  QApplication::sendEvent(&field, &after);
  EXPECT_EQ(field.text(), QStringLiteral("A"));
}
