// The menu's controls on a piece of panel: the seal check, mode chips, the
// shortcut button and choice rows, left to right and mirrored.
#include <gtest/gtest.h>

#include <QAccessible>

#include "core/Ink.h"
#include "core/Settings.h"
#include "tests/support/ViewProbe.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/ModeChip.h"
#include "ui/menu/SealCheck.h"
#include "ui/menu/ShortcutButton.h"

using probe::at;
using probe::near;
using probe::onPanel;

// How it draws, mirrored or not, on and off, enabled or not: MenuView's tests
// of the tables and open-at-login rows.
TEST(SealCheck, AnyClickInItsFrameFlipsItAndAssistiveToolsSeeAndPressIt) {
  bool value = true;
  probe::Backdrop back(QSize(36, 28));
  auto* box = back.hold(new SealCheck({[&] { return value; }, [&](bool v) { value = v; }}, "Join"), {0, 0, 36, 28});
  box->setLabel("Join", "On", "Off");
  QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(box);
  EXPECT_EQ(a11y->role(), QAccessible::CheckBox);
  EXPECT_TRUE(a11y->state().checked);
  EXPECT_EQ(a11y->text(QAccessible::Value), "On");
  probe::click(box, {2, 2});  // the transparent part beside the box
  EXPECT_FALSE(value);
  EXPECT_FALSE(a11y->state().checked);
  a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(value);
}

TEST(ModeChip, SelectionWinsOverHoverAndClicksAlwaysAct) {
  int runs = 0;
  probe::Backdrop back(QSize(80, 18));
  auto* chip = back.hold(new ModeChip("Fast", true, [&] { ++runs; }), QRect(0, 0, 60, 18));
  const QPointF corner(3, 9);  // inside the fill, clear of the text
  probe::hover(chip, true);
  EXPECT_TRUE(near(at(probe::renderAsIs(&back), corner), Ink::seal()));
  probe::click(chip);
  EXPECT_EQ(runs, 1) << "the selected chip still runs its action";

  chip->setSelected(false);
  EXPECT_TRUE(near(at(probe::renderAsIs(&back), corner), onPanel(Ink::fill()), 3));
  probe::hover(chip, false);
  EXPECT_TRUE(near(at(probe::renderAsIs(&back), corner), Ink::panel(), 2));
  const int plain = chip->sizeHint().width();
  chip->setSelected(true);
  EXPECT_GT(chip->sizeHint().width(), plain) << "the semibold face of a selected chip is wider";
}

TEST(ShortcutButton, FacesFollowRecordingAndHoverAndTheWidthItsCaps) {
  Settings& s = Settings::shared();
  int runs = 0;
  probe::Backdrop back(QSize(200, 32));
  auto* button = back.hold(new ShortcutButton(s, [&] { ++runs; }), QRect(0, 0, 200, 32));
  button->resize(button->sizeHint().width(), 32);
  EXPECT_EQ(button->accessibleName(), "Change shortcut Ctrl+Shift+2");
  probe::hover(button, true);
  EXPECT_EQ(button->face(), ShortcutButton::Face::hover);
  s.setRecording(true);
  EXPECT_EQ(button->face(), ShortcutButton::Face::recording) << "hover does not matter";
  probe::click(button);
  EXPECT_EQ(runs, 1) << "clicks act while recording too";
  s.setRecording(false);
  probe::hover(button, false);
  EXPECT_EQ(button->face(), ShortcutButton::Face::resting);

  const int before = button->sizeHint().width();
  s.setShortcut(Shortcut{111, Shortcut::kAllMods});  // all four modifiers and F12
  EXPECT_GT(button->sizeHint().width(), before + 40) << "widened by its real caps";
  s.setShortcut(Shortcut::defaultShortcut());
}

TEST(ChoiceRow, HeightsFollowSubLineOverrideAndWidth) {
  using Mark = ChoiceRow::Mark;
  EXPECT_EQ(ChoiceRow({.mark = Mark::radio(false), .title = "English"}, [] {}).heightForWidth(220), 26);
  EXPECT_EQ(ChoiceRow({.mark = Mark::check(true), .title = "English", .height = 24}, [] {}).heightForWidth(220), 24);
  const QString sub = "Reads in your system and app languages, and recognises other scripts as it goes.";
  const ChoiceRow twoLine({.mark = Mark::radio(true), .title = "Automatic", .sub = sub}, [] {});
  const ChoiceRow low({.mark = Mark::radio(true), .title = "Automatic", .sub = sub, .height = 24}, [] {});
  EXPECT_GE(twoLine.heightForWidth(600), 30);
  EXPECT_EQ(low.heightForWidth(600), twoLine.heightForWidth(600)) << "the padding still applies";
  EXPECT_GT(twoLine.heightForWidth(220), twoLine.heightForWidth(600)) << "it wraps, never cut";
}

TEST(ChoiceRow, SelectionAndHoverShareTheFillAndMarksDrawFromTheirOwnInput) {
  int runs = 0;
  probe::Backdrop back(QSize(220, 26));
  auto* row = back.hold(
      new ChoiceRow({.mark = ChoiceRow::Mark::check(true), .title = "Deutsch", .trailing = "2"}, [&] { ++runs; }),
      QRect(0, 0, 220, 26));
  const QPointF blank(150, 4);
  QImage img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, blank), Ink::panel(), 2)) << "on but not selected: no fill";
  EXPECT_TRUE(near(at(img, {8 + 10, 13}), Ink::seal())) << "the box is on, at the leading side";
  probe::hover(row, true);
  EXPECT_TRUE(near(at(probe::renderAsIs(&back), blank), onPanel(Ink::fill()), 3));
  probe::hover(row, false);
  row->setSpec({.mark = ChoiceRow::Mark::check(false), .title = "Deutsch", .trailing = "2", .selected = true});
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, blank), onPanel(Ink::fill()), 3));
  EXPECT_TRUE(near(at(img, {8 + 6, 13}), onPanel(Ink::fill()), 3)) << "selected, box off: clear inside";
  probe::click(row, {200, 20});
  EXPECT_EQ(runs, 1);

  back.setLayoutDirection(Qt::RightToLeft);
  row->setSpec({.mark = ChoiceRow::Mark::radio(true), .title = "Deutsch"});
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, {220 - 8 - 6.5, 13}), Ink::seal())) << "the radio's dot moved to the right edge";
  EXPECT_TRUE(near(at(img, {8 + 6.5, 13}), Ink::panel(), 2));
}
