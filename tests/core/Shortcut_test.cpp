#include "core/Shortcut.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <set>

#include "core/HotKeyCenter.h"

namespace {

// X keycodes of a few keys (evdev + 8).
constexpr uint32_t kXA = 38;
constexpr uint32_t kX2 = 11;
constexpr uint32_t kXSpace = 65;
constexpr uint32_t kXF5 = 71;
constexpr uint32_t kXLeftOfZ = 94;
constexpr uint32_t kXShiftL = 50;
constexpr uint32_t kXControlL = 37;

const Qt::KeyboardModifiers kNone = Qt::NoModifier;

}  // namespace

TEST(Shortcut, NeedsCtrlAltOrSuperUnlessFunctionKey) {
  EXPECT_EQ(Shortcut::fromKey(kXA, Qt::ShiftModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(kXA, kNone), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(kXF5, kNone), (Shortcut{96, 0}));
  EXPECT_EQ(Shortcut::fromKey(kXF5, Qt::ShiftModifier), (Shortcut{96, 512}));
  EXPECT_EQ(Shortcut::fromKey(kXA, Qt::AltModifier), (Shortcut{0, 2048}));
  EXPECT_EQ(Shortcut::fromKey(kXSpace, Qt::ControlModifier | Qt::MetaModifier), (Shortcut{49, 4352}));
  EXPECT_EQ(Shortcut::fromKey(kXA, Qt::MetaModifier), (Shortcut{0, Shortcut::kControl}));
}

TEST(Shortcut, IgnoresModifiersOutsideTheFour) {
  // What Qt reports for keypad keys and layout switches adds nothing.
  EXPECT_EQ(Shortcut::fromKey(kXF5, Qt::KeypadModifier | Qt::GroupSwitchModifier), (Shortcut{96, 0}));
  EXPECT_EQ(Shortcut::fromKey(kX2, Qt::ControlModifier | Qt::KeypadModifier),
            (Shortcut{19, Shortcut::kCommand}));
  EXPECT_EQ(Shortcut::fromKey(kXA, Qt::KeypadModifier), std::nullopt);
}

TEST(Shortcut, ModifierKeysAndUnknownKeycodesGiveNone) {
  EXPECT_EQ(Shortcut::fromKey(kXShiftL, Qt::ControlModifier | Qt::ShiftModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(kXControlL, Qt::ControlModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(0, Qt::ControlModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(7, Qt::ControlModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(255, Qt::ControlModifier), std::nullopt);
  EXPECT_EQ(Shortcut::fromKey(100000, Qt::ControlModifier), std::nullopt);
  EXPECT_EQ(Shortcut::keyCodeForX(kXShiftL), std::nullopt);
  EXPECT_EQ((Shortcut{52, Shortcut::kCommand}).xKeycode(), std::nullopt);
  EXPECT_EQ((Shortcut{56, Shortcut::kCommand}).xKeycode(), std::nullopt);  // Shift
}

TEST(Shortcut, EventUsesTheKeyPositionNotTheCharacter) {
  // Ctrl+Shift+2 arrives as "@" on a US layout; the scan code is what counts.
  QKeyEvent at(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, kX2, 0, 0);
  EXPECT_EQ(Shortcut::fromEvent(at), Shortcut::defaultShortcut());
  QKeyEvent plain(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, kX2, 0, 0);
  EXPECT_EQ(Shortcut::fromEvent(plain), std::nullopt);
  QKeyEvent f5(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier, kXF5, 0, 0);
  EXPECT_EQ(Shortcut::fromEvent(f5), (Shortcut{96, 0}));
}

TEST(Shortcut, CapsListModifiersInDesktopOrder) {
  EXPECT_EQ(Shortcut::defaultShortcut().caps(), (QStringList{"Ctrl", "Shift", "2"}));
  EXPECT_EQ((Shortcut{96, 0}).caps(), (QStringList{"F5"}));
  EXPECT_EQ((Shortcut{10, 256}).caps(), (QStringList{"Ctrl", "#10"}));
  EXPECT_EQ((Shortcut{0, Shortcut::kAllMods}).caps(), (QStringList{"Ctrl", "Alt", "Shift", "Super", "A"}));
  EXPECT_EQ((Shortcut{49, Shortcut::kControl | Shortcut::kOption}).caps(),
            (QStringList{"Alt", "Super", "Space"}));
}

TEST(Shortcut, KeyNames) {
  EXPECT_EQ(Shortcut::keyName(122), "F1");
  EXPECT_EQ(Shortcut::keyName(111), "F12");
  EXPECT_EQ(Shortcut::keyName(113), "F15");
  EXPECT_EQ(Shortcut::keyName(50), QString(QChar(0x60)));
  EXPECT_EQ(Shortcut::keyName(42), "\\");
  EXPECT_EQ(Shortcut::keyName(36), QString::fromUtf8("\u21A9"));
  EXPECT_EQ(Shortcut::keyName(48), QString::fromUtf8("\u21E5"));
  EXPECT_EQ(Shortcut::keyName(51), QString::fromUtf8("\u232B"));
  EXPECT_EQ(Shortcut::keyName(117), QString::fromUtf8("\u2326"));
  EXPECT_EQ(Shortcut::keyName(123), QString::fromUtf8("\u2190"));
  EXPECT_EQ(Shortcut::keyName(126), QString::fromUtf8("\u2191"));
  EXPECT_EQ(Shortcut::keyName(115), QString::fromUtf8("\u2196"));
  EXPECT_EQ(Shortcut::keyName(121), QString::fromUtf8("\u21DF"));
  // Keys without a name of their own, and codes of no key at all.
  EXPECT_EQ(Shortcut::keyName(53), "#53");
  EXPECT_EQ(Shortcut::keyName(82), "#82");
  EXPECT_EQ(Shortcut::keyName(106), "#106");  // F16: only F1-F15 are named
  EXPECT_EQ(Shortcut::keyName(4000000000u), "#4000000000");
}

TEST(Shortcut, EveryNamedKeyIsDistinct) {
  // 60 US-layout keys and 15 function keys carry a name, all different.
  std::set<QString> names;
  int named = 0;
  for (uint32_t code = 0; code < 256; ++code) {
    const QString name = Shortcut::keyName(code);
    if (name.startsWith('#')) continue;
    ++named;
    names.insert(name);
  }
  EXPECT_EQ(named, 75);
  EXPECT_EQ(names.size(), 75u);
}

TEST(Shortcut, EveryKeyPositionRoundTripsThroughItsXKeycode) {
  int positions = 0;
  std::set<uint32_t> xCodes;
  for (uint32_t code = 0; code < 256; ++code) {
    const auto x = Shortcut{code, Shortcut::kCommand}.xKeycode();
    if (!x) continue;
    ++positions;
    SCOPED_TRACE(code);
    EXPECT_GE(*x, 8u);
    EXPECT_LE(*x, 255u);
    EXPECT_EQ(Shortcut::keyCodeForX(*x), code);
    xCodes.insert(*x);
  }
  EXPECT_EQ(xCodes.size(), size_t(positions));
  // And the other way: every X keycode we know leads back to itself.
  for (uint32_t x = 0; x < 256; ++x) {
    const auto code = Shortcut::keyCodeForX(x);
    if (!code) continue;
    SCOPED_TRACE(x);
    EXPECT_EQ((Shortcut{*code, 0}).xKeycode(), x);
  }
}

TEST(Shortcut, NamedKeysTheIsoKeyAndTheKeypadHaveKeycodes) {
  for (uint32_t code = 0; code < 256; ++code) {
    if (Shortcut::keyName(code).startsWith('#')) continue;
    SCOPED_TRACE(code);
    EXPECT_TRUE((Shortcut{code, 0}).xKeycode().has_value());
  }
  EXPECT_EQ((Shortcut{10, 0}).xKeycode(), kXLeftOfZ);
  EXPECT_EQ((Shortcut{53, 0}).xKeycode(), 9u);  // Escape
  for (uint32_t keypad : {65u, 67u, 69u, 75u, 76u, 78u, 81u, 82u, 83u, 84u, 85u, 86u, 87u, 88u, 89u, 91u,
                          92u}) {
    SCOPED_TRACE(keypad);
    EXPECT_TRUE((Shortcut{keypad, 0}).xKeycode().has_value());
  }
  EXPECT_EQ((Shortcut{19, 0}).xKeycode(), kX2);
  EXPECT_EQ((Shortcut{96, 0}).xKeycode(), kXF5);
}

TEST(Shortcut, OnlyFunctionKeysF1ToF15AreFunctionKeys) {
  int count = 0;
  for (uint32_t code = 0; code < 256; ++code) count += Shortcut::isFunctionKey(code) ? 1 : 0;
  EXPECT_EQ(count, 15);
  EXPECT_TRUE(Shortcut::isFunctionKey(122));
  EXPECT_TRUE(Shortcut::isFunctionKey(113));
  EXPECT_FALSE(Shortcut::isFunctionKey(106));  // F16
  EXPECT_FALSE(Shortcut::isFunctionKey(53));
}

TEST(Shortcut, EditingCombinationsAreReserved) {
  for (uint32_t key : {8u, 9u, 7u, 6u, 0u}) {
    SCOPED_TRACE(key);
    EXPECT_TRUE((Shortcut{key, Shortcut::kCommand}).isReservedForEditing());
    EXPECT_FALSE((Shortcut{key, Shortcut::kCommand | Shortcut::kShift}).isReservedForEditing());
    EXPECT_FALSE((Shortcut{key, Shortcut::kOption}).isReservedForEditing());
    EXPECT_FALSE((Shortcut{key, Shortcut::kControl}).isReservedForEditing());
  }
  EXPECT_FALSE((Shortcut{1, Shortcut::kCommand}).isReservedForEditing());   // S
  EXPECT_FALSE((Shortcut{11, Shortcut::kCommand}).isReservedForEditing());  // B
  EXPECT_FALSE(Shortcut::defaultShortcut().isReservedForEditing());
}

TEST(Shortcut, EqualOnlyWhenKeyAndMaskAreEqual) {
  EXPECT_EQ(Shortcut::defaultShortcut(), (Shortcut{19, 768}));
  EXPECT_NE((Shortcut{19, 768}), (Shortcut{19, 256}));
  EXPECT_NE((Shortcut{19, 768}), (Shortcut{20, 768}));
}

TEST(HotKeyCenter, RegisterFailsWithoutAnXServer) {
  HotKeyCenter center;
  EXPECT_FALSE(center.registerShortcut(Shortcut::defaultShortcut()));
  EXPECT_FALSE(center.isRegistered());
  EXPECT_EQ(center.current(), std::nullopt);
  QKeyEvent at(QEvent::KeyPress, Qt::Key_At, Qt::ControlModifier | Qt::ShiftModifier, kX2, 0, 0);
  EXPECT_FALSE(center.matches(at));
}
