// The global hot key against a real X server (tests/support/xsession). Presses
// are made with xdotool, which goes through XTEST like a real keyboard; a second
// X connection plays another client that holds combinations of its own.
#include "core/HotKeyCenter.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "tests/support/XWindows.h"

namespace {

constexpr uint8_t kX2 = 11, kX3 = 12, kXA = 38, kXC = 54, kNumLock = 77;  // X keycodes
constexpr uint16_t kCtrl = XCB_MOD_MASK_CONTROL, kShift = XCB_MOD_MASK_SHIFT, kAlt = XCB_MOD_MASK_1,
                   kSuper = XCB_MOD_MASK_4, kLock = XCB_MOD_MASK_LOCK;
const Shortcut kCtrlAlt3{20, Shortcut::kCommand | Shortcut::kOption};

using testenv::waitUntil;

bool press(const QString& keys) { return xwindows::xdotool({"key", keys}); }

// Another client of the same server, holding combinations of its own.
class OtherClient : public xwindows::Probe {
 public:
  bool ok() { return xcb_connection_has_error(conn()) == 0; }

  bool grab(uint8_t keycode, uint16_t mods) {
    xcb_generic_error_t* error = xcb_request_check(
        conn(), xcb_grab_key_checked(conn(), 1, root(), mods, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
  }

  xcb_keysym_t keysym(uint8_t keycode, int column) {
    xcb_key_symbols_t* syms = xcb_key_symbols_alloc(conn());
    const xcb_keysym_t sym = xcb_key_symbols_get_keysym(syms, keycode, column);
    xcb_key_symbols_free(syms);
    return sym;
  }

  std::vector<xcb_keycode_t> modifierMap(int& perModifier) {
    auto* reply = xcb_get_modifier_mapping_reply(conn(), xcb_get_modifier_mapping(conn()), nullptr);
    perModifier = reply ? reply->keycodes_per_modifier : 0;
    const xcb_keycode_t* codes = reply ? xcb_get_modifier_mapping_keycodes(reply) : nullptr;
    std::vector<xcb_keycode_t> map(codes, codes + 8 * perModifier);
    std::free(reply);
    return map;
  }
  bool setModifierMap(int perModifier, const std::vector<xcb_keycode_t>& map) {
    auto* reply = xcb_set_modifier_mapping_reply(
        conn(), xcb_set_modifier_mapping(conn(), uint8_t(perModifier), map.data()), nullptr);
    const bool ok = reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
    std::free(reply);
    return ok;
  }

  uint16_t numLockMask() {
    int per = 0;
    const std::vector<xcb_keycode_t> map = modifierMap(per);
    uint16_t mask = 0;
    for (size_t i = 0; i < map.size(); ++i) mask |= map[i] == kNumLock ? uint16_t(1u << (i / size_t(per))) : 0;
    return mask;
  }
};

class HotKeyCenterX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(other.ok());
    center.onPress = [this] { ++fired; };
    sentinel.onPress = [this] { ++sentinelFired; };
    ASSERT_TRUE(sentinel.registerShortcut({101, 0}));  // F9
  }
  bool pressFires(const QString& keys, int count) {
    return press(keys) && waitUntil([&] { return fired == count; });
  }
  // Presses F9 and waits for it: everything pressed before has been handled by
  // then, as X and the queued calls keep their order.
  bool settled() {
    const int before = sentinelFired;
    return press("F9") && waitUntil([&] { return sentinelFired > before; });
  }
  OtherClient other;
  HotKeyCenter sentinel;
  HotKeyCenter center;
  int fired = 0;
  int sentinelFired = 0;
};

}  // namespace

TEST(XKeymap, KeycodesOfTheTableCarryTheUsLayoutKeys) {
  // The table assumes X keycode = evdev code + 8 and a US layout here; check it
  // against the server's own keymap: every key named by one character, and a
  // few others (column 1 of a keypad digit is the digit).
  OtherClient other;
  ASSERT_TRUE(other.ok());
  std::vector<std::tuple<uint32_t, int, xcb_keysym_t>> keys = {
      {49, 0, XK_space}, {36, 0, XK_Return}, {51, 0, XK_BackSpace}, {121, 0, XK_Next}, {114, 0, XK_Insert},
      {111, 0, XK_F12},  {10, 0, XK_less},   {76, 0, XK_KP_Enter},  {82, 1, XK_KP_0},  {92, 1, XK_KP_9}};
  for (uint32_t code = 0; code < 128; ++code) {
    const QString name = Shortcut::keyName(code);
    if (name.size() == 1 && name[0].unicode() < 0x80) keys.emplace_back(code, 0, name.toLower()[0].unicode());
  }
  EXPECT_EQ(keys.size(), 10u + 47u);  // letters, digits and punctuation
  for (const auto& [code, column, sym] : keys) {
    EXPECT_EQ(other.keysym(uint8_t(*Shortcut{code, 0}.xKeycode()), column), sym) << code;
  }
}

TEST_F(HotKeyCenterX, APressRunsOnPressOnce) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));  // again: still one grab
  for (int n = 1; n <= 2; ++n) {
    ASSERT_TRUE(pressFires("ctrl+shift+2", n));
    ASSERT_TRUE(settled());
    EXPECT_EQ(fired, n);
  }
  // Grabbed with every lock variant: taken for any other client.
  ASSERT_NE(other.numLockMask(), 0) << "NumLock is on no modifier";
  for (uint16_t locks : {0, int(kLock), int(other.numLockMask()), kLock | other.numLockMask()})
    EXPECT_FALSE(other.grab(kX2, kCtrl | kShift | locks)) << locks;
}

// Events fed to the filter directly, to cover both ways a server may report
// auto-repeat whichever one this server uses.
TEST_F(HotKeyCenterX, FilterQueuesOnPressAndDropsBothKindsOfRepeat) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  const uint16_t ctrlShift = kCtrl | kShift;
  auto feedTo = [&](HotKeyCenter& target, uint8_t type, uint16_t state, uint32_t time, uint8_t keycode,
                    xcb_window_t window) {
    xcb_key_press_event_t event{type, keycode, 0, time, other.root(), window, 0, 0, 0, 0, 0, state, 1, 0};
    return target.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
  };
  auto feed = [&](uint8_t type, uint16_t state, uint32_t time, uint8_t keycode = kX2, xcb_window_t window = 0) {
    return feedTo(center, type, state, time, keycode, window ? window : other.root());
  };
  auto firedAfterEvents = [&] {
    QCoreApplication::processEvents();
    return fired;
  };

  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 1000));
  EXPECT_EQ(fired, 0) << "onPress ran inside the event filter";
  EXPECT_EQ(firedAfterEvents(), 1);
  // Detectable auto-repeat: press, press, release.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 1660));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 1720));
  EXPECT_EQ(firedAfterEvents(), 1);
  // Plain auto-repeat: each repeat is a release and a press with the same time.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 3000));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 3660));
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 3660));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 3750));
  EXPECT_EQ(firedAfterEvents(), 2);

  // Locks, pointer buttons and the layout group do not matter; other modifiers do.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift | kLock | other.numLockMask() | XCB_BUTTON_MASK_1 | 0x2000, 5000));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 5050));
  EXPECT_FALSE(feed(XCB_KEY_PRESS, ctrlShift | kAlt, 6000));
  EXPECT_FALSE(feed(XCB_KEY_PRESS, kCtrl, 6100));
  EXPECT_FALSE(feed(XCB_KEY_PRESS, ctrlShift, 6200, kX3));
  // Reported on a window of ours rather than through the grab on the root.
  EXPECT_FALSE(feed(XCB_KEY_PRESS, ctrlShift, 6300, kX2, other.root() + 1));
  EXPECT_EQ(firedAfterEvents(), 3);
  // A press long after one whose release never came is a new press.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 7000));
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 20000));
  EXPECT_EQ(firedAfterEvents(), 5);

  // A press still queued when the center goes away runs nothing.
  auto gone = std::make_unique<HotKeyCenter>();
  gone->onPress = [&] { ++fired; };
  ASSERT_TRUE(gone->registerShortcut(kCtrlAlt3));
  EXPECT_TRUE(feedTo(*gone, XCB_KEY_PRESS, kCtrl | kAlt, 8000, kX3, other.root()));
  gone.reset();
  EXPECT_EQ(firedAfterEvents(), 5);
}

TEST_F(HotKeyCenterX, ACombinationHeldElsewhereFailsAndKeepsThePreviousOne) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  // The other client holds Ctrl+Alt+3 without locks only; our grabs of the lock
  // variants succeed first and must be given back.
  ASSERT_TRUE(other.grab(kX3, kCtrl | kAlt));
  EXPECT_FALSE(center.registerShortcut(kCtrlAlt3));
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());
  EXPECT_TRUE(other.grab(kX3, kCtrl | kAlt | kLock));
  EXPECT_TRUE(other.grab(kX3, kCtrl | kAlt | other.numLockMask()));

  // Unsafe combinations are refused the same way, without grabbing anything:
  // Ctrl+C (editing), a key that does not exist, and Shift alone, which would
  // take a plain key from every program.
  for (const Shortcut unsafe : {Shortcut{8, Shortcut::kCommand}, Shortcut{52, Shortcut::kCommand},
                                Shortcut{0, Shortcut::kShift}})
    EXPECT_FALSE(center.registerShortcut(unsafe)) << unsafe.keyCode;
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());
  EXPECT_TRUE(other.grab(kXC, kCtrl));
  EXPECT_TRUE(other.grab(kXA, kShift));
  EXPECT_TRUE(pressFires("ctrl+shift+2", 1));
}

// Puts NumLock on the Super modifier (Mod4) for the life of the object.
struct NumLockOnSuper {
  explicit NumLockOnSuper(OtherClient& other) : other(other), saved(other.modifierMap(per)) {
    std::vector<xcb_keycode_t> map;  // one more column, NumLock alone in Mod4's
    for (size_t i = 0; i < saved.size(); ++i) {
      map.push_back(saved[i] == kNumLock ? 0 : saved[i]);
      if ((i + 1) % size_t(per) == 0) map.push_back(i / size_t(per) == 6 ? kNumLock : 0);
    }
    ok = other.setModifierMap(per + 1, map);
  }
  ~NumLockOnSuper() { other.setModifierMap(per, saved); }
  OtherClient& other;
  int per = 0;
  const std::vector<xcb_keycode_t> saved;
  bool ok = false;
};

TEST_F(HotKeyCenterX, AChangeKeepsTheGrabsTheTwoCombinationsShare) {
  NumLockOnSuper remap(other);
  ASSERT_TRUE(remap.ok);
  ASSERT_EQ(other.numLockMask(), kSuper);
  // Ctrl+3 is grabbed with Lock, NumLock (Super), both and neither; Ctrl+Super+3
  // with and without Lock: two grabs the same.
  const Shortcut ctrl3{20, Shortcut::kCommand}, ctrlSuper3{20, Shortcut::kCommand | Shortcut::kControl};
  ASSERT_TRUE(center.registerShortcut(ctrl3));
  ASSERT_TRUE(center.registerShortcut(ctrlSuper3));
  EXPECT_TRUE(other.grab(kX3, kCtrl));
  EXPECT_FALSE(other.grab(kX3, kCtrl | kSuper));
  // Back to Ctrl+3, which the other client now holds: the shared grabs stay.
  EXPECT_FALSE(center.registerShortcut(ctrl3));
  EXPECT_FALSE(other.grab(kX3, kCtrl | kSuper));
  EXPECT_FALSE(other.grab(kX3, kCtrl | kSuper | kLock));
}

TEST_F(HotKeyCenterX, ChangingUnregisteringAndDestructionGiveTheKeyBack) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  ASSERT_TRUE(center.registerShortcut(kCtrlAlt3));
  EXPECT_EQ(center.current(), kCtrlAlt3);
  ASSERT_TRUE(press("ctrl+shift+2"));
  ASSERT_TRUE(settled());
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(pressFires("ctrl+alt+3", 1));
  // The old combination, every lock variant, is free for others again.
  EXPECT_TRUE(other.grab(kX2, kCtrl | kShift));
  EXPECT_TRUE(other.grab(kX2, kCtrl | kShift | kLock));
  center.unregister();
  EXPECT_EQ(center.current(), std::nullopt);
  ASSERT_TRUE(press("ctrl+alt+3"));
  ASSERT_TRUE(settled());
  EXPECT_EQ(fired, 1);
  {
    HotKeyCenter temporary;
    ASSERT_TRUE(temporary.registerShortcut(kCtrlAlt3));
    EXPECT_FALSE(other.grab(kX3, kCtrl | kAlt));
  }
  EXPECT_TRUE(other.grab(kX3, kCtrl | kAlt));
  EXPECT_TRUE(other.grab(kX3, kCtrl | kAlt | kLock));
}

namespace {
class KeyWindow : public QWidget {
 public:
  std::function<void(QKeyEvent*)> onKey;

 protected:
  void keyPressEvent(QKeyEvent* event) override { onKey(event); }
};
}  // namespace

TEST_F(HotKeyCenterX, AWindowOfOursHoldingTheKeyboardGetsTheHotKeyAsAKeyPress) {
  auto event = [](Qt::KeyboardModifiers mods, uint8_t keycode) {
    return QKeyEvent(QEvent::KeyPress, Qt::Key_At, mods, keycode, 0, 0);
  };
  EXPECT_FALSE(center.matches(event(Qt::ControlModifier | Qt::ShiftModifier, kX2)));  // none registered
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  EXPECT_TRUE(center.matches(event(Qt::ControlModifier | Qt::ShiftModifier, kX2)));
  EXPECT_FALSE(center.matches(event(Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, kX2)));
  EXPECT_FALSE(center.matches(event(Qt::ControlModifier | Qt::ShiftModifier, kX3)));

  KeyWindow window;
  int hotKeyPresses = 0, otherKeys = 0;
  window.onKey = [&](QKeyEvent* e) {
    if (e->nativeScanCode() == kX2) ++(center.matches(*e) ? hotKeyPresses : otherKeys);
  };
  window.resize(200, 200);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));
  // Merely focused: the hot key is global and the window does not see it.
  ASSERT_TRUE(pressFires("ctrl+shift+2", 1));
  window.grabKeyboard();
  ASSERT_TRUE(press("ctrl+shift+2"));
  ASSERT_TRUE(waitUntil([&] { return hotKeyPresses == 1; }));
  window.releaseKeyboard();
  xcb_flush(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection());
  ASSERT_TRUE(settled());
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(otherKeys, 0);
  EXPECT_TRUE(pressFires("ctrl+shift+2", 2));
  EXPECT_EQ(hotKeyPresses, 1);
}
