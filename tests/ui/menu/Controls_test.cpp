#include <gtest/gtest.h>

#include <QAccessible>

#include "core/Ink.h"
#include "core/Settings.h"
#include "ui/kit/KeyCap.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/MenuRow.h"
#include "ui/menu/ModeChip.h"
#include "ui/menu/SealCheck.h"
#include "ui/menu/ShortcutButton.h"
#include "tests/support/ViewProbe.h"

using probe::at;
using probe::near;
using probe::onPanel;

namespace {

struct Check {
  bool value = false;
  probe::Backdrop back{QSize(36, 28)};
  SealCheck* box = back.hold(new SealCheck({[this] { return value; }, [this](bool v) { value = v; }}, "Join"),
                             QRect(0, 0, 36, 28));
};

}  // namespace

TEST(SealCheck, AnyClickInItsFrameFlipsTheBoundValue) {
  Check c;
  probe::click(c.box, {2, 2});  // the transparent part beside the box
  EXPECT_TRUE(c.value);
  probe::click(c.box, {30, 14});
  EXPECT_FALSE(c.value);
  c.box->setEnabled(false);  // a disabled row's box ignores clicks
  probe::click(c.box, {30, 14});
  EXPECT_FALSE(c.value);
}

TEST(SealCheck, FigureSitsAtTheTrailingEdgeUnmirrored) {
  Check c;
  c.value = true;
  c.box->setLabel("Join", "On", "Off");
  QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(c.box);
  ASSERT_TRUE(a11y);
  EXPECT_EQ(a11y->role(), QAccessible::CheckBox);
  EXPECT_TRUE(a11y->state().checked);
  EXPECT_EQ(a11y->text(QAccessible::Name), "Join");
  EXPECT_EQ(a11y->text(QAccessible::Value), "On");
  const QImage ltr = probe::renderAsIs(&c.back);
  // The box is 13 wide at the right: seal inside it, bare panel at the left.
  EXPECT_TRUE(near(at(ltr, {30, 9}), Ink::seal())) << at(ltr, {30, 9});
  EXPECT_TRUE(near(at(ltr, {6, 14}), Ink::panel()));
  // The tick's lowest point, at (5.7, 9.3) of the figure, is light paper.
  EXPECT_TRUE(near(at(ltr, {23 + 5.7, 7.5 + 9.1}), Ink::hanjiLight(), 40)) << at(ltr, {23 + 5.7, 7.5 + 9.1});

  c.back.setLayoutDirection(Qt::RightToLeft);
  const QImage rtl = probe::renderAsIs(&c.back);
  EXPECT_TRUE(near(at(rtl, {6, 9}), Ink::seal()));
  EXPECT_TRUE(near(at(rtl, {30, 14}), Ink::panel()));
  // The same drawing, moved, not mirrored.
  EXPECT_EQ(probe::crop(rtl, {0, 7.5, 13, 13}), probe::crop(ltr, {23, 7.5, 13, 13}));

  c.value = false;
  c.box->refresh();
  const QImage off = probe::renderAsIs(&c.back);
  EXPECT_TRUE(near(at(off, {6, 14}), Ink::panel()));     // clear inside
  EXPECT_TRUE(near(at(off, {0.3, 14}), Ink::faint(), 60));  // faint border
  EXPECT_FALSE(a11y->state().checked);
  EXPECT_EQ(a11y->text(QAccessible::Value), "Off");
  a11y->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(c.value);  // assistive tools can press it
}

TEST(ModeChip, SelectionWinsOverHoverAndClicksAlwaysAct) {
  int runs = 0;
  probe::Backdrop back(QSize(80, 18));
  auto* chip = back.hold(new ModeChip("Fast", true, [&] { ++runs; }), QRect(0, 0, 60, 18));
  const QPointF corner(3, 9);  // inside the fill, clear of the text
  probe::hover(chip, true);
  QImage img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, corner), Ink::seal()));
  probe::click(chip);
  EXPECT_EQ(runs, 1);  // the selected chip still runs its action
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(chip)->state().checked);

  chip->setSelected(false);
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, corner), onPanel(Ink::fill()), 3)) << at(img, corner);
  probe::hover(chip, false);
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, corner), Ink::panel(), 2));
  // The semibold face of a selected chip is wider.
  const int plain = chip->sizeHint().width();
  chip->setSelected(true);
  EXPECT_GT(chip->sizeHint().width(), plain);
}

TEST(MenuRow, HoverFillsAndInksTheRow) {
  probe::Backdrop back(QSize(200, 28));
  auto* row = back.hold(new MenuRow("About", std::nullopt, [] {}), QRect(0, 0, 200, 28));
  EXPECT_EQ(row->height(), 28);
  QImage img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, {150, 14}), Ink::panel(), 2));
  probe::hover(row, true);
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, {150, 14}), onPanel(Ink::fill()), 3));
}

TEST(ShortcutButton, FacesFollowRecordingAndHoverAndCapsStayLeftToRight) {
  Settings& s = Settings::shared();
  int runs = 0;
  probe::Backdrop back(QSize(200, 32));
  auto* button = back.hold(new ShortcutButton(s, [&] { ++runs; }), QRect(0, 0, 200, 32));
  button->resize(button->sizeHint().width(), 32);
  EXPECT_EQ(button->face(), ShortcutButton::Face::resting);
  EXPECT_EQ(button->toolTip(), "Change shortcut");
  EXPECT_EQ(button->accessibleName(), "Change shortcut Ctrl+Shift+2");

  probe::hover(button, true);
  EXPECT_EQ(button->face(), ShortcutButton::Face::hover);
  s.setRecording(true);
  EXPECT_EQ(button->face(), ShortcutButton::Face::recording);  // hover does not matter
  probe::click(button);
  EXPECT_EQ(runs, 1);  // clicks act while recording too
  s.setRecording(false);
  EXPECT_EQ(button->face(), ShortcutButton::Face::hover);
  probe::hover(button, false);

  // A longer shortcut widens the resting face by its real caps.
  const int before = button->sizeHint().width();
  s.setShortcut(Shortcut{111, Shortcut::kAllMods});  // all four modifiers and F12
  EXPECT_GT(button->sizeHint().width(), before + 40);
  EXPECT_GT(kit::keycap::size("F12").width(), kit::keycap::size("2").width());
  EXPECT_EQ(kit::keycap::size("F12").height(), 16);

  // Mirroring moves the caps to the other side but keeps their order.
  s.setShortcut(Shortcut::defaultShortcut());
  const qreal w = button->width();
  const qreal capsW = kit::keycap::rowWidth({"Ctrl", "Shift", "2"});
  const QImage ltr = probe::renderAsIs(&back);
  back.setLayoutDirection(Qt::RightToLeft);
  const QImage rtl = probe::renderAsIs(&back);
  const QRectF capsLtr(w - 8 - capsW, 8, capsW, 16);
  const QRectF capsRtl(8, 8, capsW, 16);
  EXPECT_EQ(probe::crop(rtl, capsRtl), probe::crop(ltr, capsLtr));
  EXPECT_NE(probe::crop(rtl, capsRtl), probe::crop(ltr, capsRtl));
}

TEST(ChoiceRow, HeightsFollowSubLineOverrideAndWidth) {
  ChoiceRow plain({.mark = ChoiceRow::Mark::radio(false), .title = "English"}, [] {});
  EXPECT_EQ(plain.heightForWidth(220), 26);
  ChoiceRow low({.mark = ChoiceRow::Mark::check(true), .title = "English", .trailing = "1", .height = 24}, [] {});
  EXPECT_EQ(low.heightForWidth(220), 24);
  ChoiceRow twoLine({.mark = ChoiceRow::Mark::radio(true), .title = "Automatic", .sub = "Follows the system"}, [] {});
  const int wide = twoLine.heightForWidth(400);
  EXPECT_GE(wide, 30);
  ChoiceRow lowWithSub(
      {.mark = ChoiceRow::Mark::radio(true), .title = "Automatic", .sub = "Follows the system", .height = 24}, [] {});
  EXPECT_EQ(lowWithSub.heightForWidth(400), wide);  // the padding still applies
  ChoiceRow longSub({.mark = ChoiceRow::Mark::radio(true),
                     .title = "Automatic",
                     .sub = "Reads in your system and app languages, and recognises other scripts as it goes."},
                    [] {});
  EXPECT_GT(longSub.heightForWidth(220), longSub.heightForWidth(600));  // it wraps, never cut
}

TEST(ChoiceRow, SelectionAndHoverShareTheFillAndMarksDrawFromTheirOwnInput) {
  int runs = 0;
  probe::Backdrop back(QSize(220, 26));
  auto* row = back.hold(
      new ChoiceRow({.mark = ChoiceRow::Mark::check(true), .title = "Deutsch", .trailing = "2"}, [&] { ++runs; }),
                        QRect(0, 0, 220, 26));
  const QPointF blank(150, 4);
  QImage img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, blank), Ink::panel(), 2));  // on but not selected: no fill
  EXPECT_TRUE(near(at(img, {8 + 10, 13}), Ink::seal()));  // ... and the box is on, at the leading side
  probe::hover(row, true);
  const QColor hovered = at(probe::renderAsIs(&back), blank);
  probe::hover(row, false);
  row->setSpec({.mark = ChoiceRow::Mark::check(false), .title = "Deutsch", .trailing = "2", .selected = true});
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, blank), hovered, 1));
  EXPECT_TRUE(near(hovered, onPanel(Ink::fill()), 3));
  EXPECT_TRUE(near(at(img, {8 + 6, 13}), onPanel(Ink::fill()), 3));  // selected, box off: clear inside
  probe::click(row, {200, 20});
  EXPECT_EQ(runs, 1);

  // Right to left: the mark moves to the right edge.
  back.setLayoutDirection(Qt::RightToLeft);
  row->setSpec({.mark = ChoiceRow::Mark::radio(true), .title = "Deutsch"});
  img = probe::renderAsIs(&back);
  EXPECT_TRUE(near(at(img, {220 - 8 - 6.5, 13}), Ink::seal()));  // the radio's dot
  EXPECT_TRUE(near(at(img, {8 + 6.5, 13}), Ink::panel(), 2));
}
