#include "core/Shortcut.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <set>

#include "core/HotKeyCenter.h"

namespace {

// X keycodes (evdev + 8).
constexpr uint32_t kXA = 38, kX2 = 11, kXSpace = 65, kXF5 = 71, kXShiftL = 50;

TEST(Shortcut, NeedsCtrlAltOrSuperUnlessFunctionKey) {
  EXPECT_EQ(Shortcut::fromKey(kXA, Qt::ShiftModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(kXF5, Qt::NoModifier), (Shortcut{96, 0}));
  EXPECT_EQ(Shortcut::fromKey(kXF5, Qt::ShiftModifier), (Shortcut{96, 512}));
  EXPECT_EQ(Shortcut::fromKey(kXA, Qt::AltModifier), (Shortcut{0, 2048}));
  EXPECT_EQ(Shortcut::fromKey(kXSpace, Qt::ControlModifier | Qt::MetaModifier), (Shortcut{49, 4352}));
  // What Qt reports for keypad keys and layout switches adds nothing.
  EXPECT_EQ(Shortcut::fromKey(kXF5, Qt::KeypadModifier | Qt::GroupSwitchModifier), (Shortcut{96, 0}));
  // Modifier keys themselves and keycodes of no key.
  EXPECT_EQ(Shortcut::fromKey(kXShiftL, Qt::ControlModifier | Qt::ShiftModifier), std::nullopt);
  for (uint32_t x : {7u, 100000u}) EXPECT_EQ(Shortcut::fromKey(x, Qt::ControlModifier), std::nullopt);
}

TEST(Shortcut, EventUsesTheKeyPositionNotTheCharacter) {
  // Ctrl+Shift+2 arrives as "@" on a US layout; the scan code is what counts.
  QKeyEvent at(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, kX2, 0, 0);
  EXPECT_EQ(Shortcut::fromEvent(at), Shortcut::defaultShortcut());
}

TEST(Shortcut, CapsListModifiersInDesktopOrder) {
  EXPECT_EQ(Shortcut::defaultShortcut().caps(), (QStringList{"Ctrl", "Shift", "2"}));
  EXPECT_EQ((Shortcut{10, 256}).caps(), (QStringList{"Ctrl", "#10"}));
  EXPECT_EQ((Shortcut{0, Shortcut::kAllMods}).caps(), (QStringList{"Ctrl", "Alt", "Shift", "Super", "A"}));
}

TEST(Shortcut, KeyPositionsAndXKeycodesMapOneToOne) {
  std::set<uint32_t> xCodes;
  int positions = 0;
  for (uint32_t code = 0; code < 256; ++code) {
    const auto x = Shortcut{code, 0}.xKeycode();
    EXPECT_TRUE(x || Shortcut::keyName(code).startsWith('#')) << code;  // every named key exists
    if (!x) continue;
    ++positions;
    xCodes.insert(*x);
    EXPECT_EQ(Shortcut::keyCodeForX(*x), code);
  }
  EXPECT_EQ(xCodes.size(), size_t(positions));
  EXPECT_EQ((Shortcut{10, 0}).xKeycode(), 94u);  // the ISO key left of Z
  EXPECT_EQ((Shortcut{52, 0}).xKeycode(), std::nullopt);
  EXPECT_EQ(Shortcut::keyCodeForX(kXShiftL), std::nullopt);
}

TEST(Shortcut, EditingCombinationsAreReserved) {
  for (uint32_t key : {8u, 9u, 7u, 6u, 0u}) {  // C V X Z A
    EXPECT_TRUE((Shortcut{key, Shortcut::kCommand}).isReservedForEditing()) << key;
    EXPECT_FALSE((Shortcut{key, Shortcut::kCommand | Shortcut::kShift}).isReservedForEditing()) << key;
    EXPECT_FALSE((Shortcut{key, Shortcut::kControl}).isReservedForEditing()) << key;
  }
  EXPECT_FALSE((Shortcut{1, Shortcut::kCommand}).isReservedForEditing());
}

TEST(HotKeyCenter, RegisterFailsWithoutAnXServer) {
  HotKeyCenter center;
  EXPECT_FALSE(center.registerShortcut(Shortcut::defaultShortcut()));
  EXPECT_EQ(center.current(), std::nullopt);
  QKeyEvent at(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, kX2, 0, 0);
  EXPECT_FALSE(center.matches(at));
}

}  // namespace
