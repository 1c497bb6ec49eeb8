// The global hot key against a real X server (tests/support/xsession). Presses
// are made with xdotool, which goes through XTEST like a real keyboard; a second
// X connection plays another client that holds combinations of its own.
#include "core/HotKeyCenter.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QThread>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kX2 = 11;  // the key carrying "2"
constexpr uint32_t kX3 = 12;
constexpr uint32_t kXC = 54;

// Processes events until `done` holds or `ms` pass; false on time-out.
bool waitUntil(const std::function<bool()>& done, int ms = 3000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

// Keeps the event loop running for `ms`, for things that take real time.
void pump(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
}

bool xdotool(const QStringList& args) { return QProcess::execute("xdotool", args) == 0; }

// A separate X client.
class OtherClient {
 public:
  OtherClient() {
    conn_ = xcb_connect(nullptr, &screen_);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn_));
    for (int i = 0; i < screen_; ++i) xcb_screen_next(&it);
    root_ = it.data->root;
  }
  ~OtherClient() { xcb_disconnect(conn_); }
  OtherClient(const OtherClient&) = delete;
  OtherClient& operator=(const OtherClient&) = delete;

  bool ok() const { return xcb_connection_has_error(conn_) == 0; }
  xcb_window_t root() const { return root_; }

  bool grab(uint8_t keycode, uint16_t mods) {
    xcb_generic_error_t* error = xcb_request_check(
        conn_, xcb_grab_key_checked(conn_, 1, root_, mods, keycode, XCB_GRAB_MODE_ASYNC,
                                    XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
  }
  void ungrab(uint8_t keycode, uint16_t mods) {
    xcb_ungrab_key(conn_, keycode, root_, mods);
    sync();
  }

  // The modifier state of the core keyboard, including locks.
  uint16_t modifierState() {
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(conn_, xcb_query_pointer(conn_, root_), nullptr);
    const uint16_t mask = reply ? reply->mask : 0;
    std::free(reply);
    return mask;
  }

  xcb_keysym_t keysym(uint8_t keycode, int column) {
    xcb_key_symbols_t* syms = xcb_key_symbols_alloc(conn_);
    const xcb_keysym_t sym = xcb_key_symbols_get_keysym(syms, keycode, column);
    xcb_key_symbols_free(syms);
    return sym;
  }

  std::vector<xcb_keycode_t> modifierMap(int& perModifier) {
    auto* reply = xcb_get_modifier_mapping_reply(conn_, xcb_get_modifier_mapping(conn_), nullptr);
    perModifier = reply ? reply->keycodes_per_modifier : 0;
    std::vector<xcb_keycode_t> map;
    if (reply) map.assign(xcb_get_modifier_mapping_keycodes(reply), xcb_get_modifier_mapping_keycodes(reply) + 8 * perModifier);
    std::free(reply);
    return map;
  }
  bool setModifierMap(int perModifier, const std::vector<xcb_keycode_t>& map) {
    auto* reply = xcb_set_modifier_mapping_reply(
        conn_, xcb_set_modifier_mapping(conn_, uint8_t(perModifier), map.data()), nullptr);
    const bool ok = reply && reply->status == XCB_MAPPING_STATUS_SUCCESS;
    std::free(reply);
    return ok;
  }

  uint16_t numLockMask() {
    xcb_key_symbols_t* syms = xcb_key_symbols_alloc(conn_);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(syms, XK_Num_Lock);
    xcb_key_symbols_free(syms);
    uint16_t mask = 0;
    auto* reply = xcb_get_modifier_mapping_reply(conn_, xcb_get_modifier_mapping(conn_), nullptr);
    if (reply && codes) {
      const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
      for (int m = 0; m < 8; ++m)
        for (int i = 0; i < reply->keycodes_per_modifier; ++i)
          for (const xcb_keycode_t* n = codes; *n; ++n)
            if (map[m * reply->keycodes_per_modifier + i] == *n) mask |= uint16_t(1u << m);
    }
    std::free(reply);
    std::free(codes);
    return mask;
  }

 private:
  void sync() { std::free(xcb_get_input_focus_reply(conn_, xcb_get_input_focus(conn_), nullptr)); }

  xcb_connection_t* conn_ = nullptr;
  int screen_ = 0;
  xcb_window_t root_ = 0;
};

// Counts every key press of one X keycode that reaches this process, whether or
// not a hot-key filter claims it afterwards. Installed after the centers, so it
// runs before them.
class PressCounter : public QAbstractNativeEventFilter {
 public:
  explicit PressCounter(uint8_t keycode) : keycode_(keycode) {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  ~PressCounter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_key_press_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_KEY_PRESS && event->detail == keycode_) ++presses;
    return false;
  }
  int presses = 0;

 private:
  uint8_t keycode_;
};

// A center on F9 that tells when the presses made before it have been handled:
// X and the queued calls keep their order.
struct Sentinel {
  Sentinel() {
    center.onPress = [this] { ++fired; };
    registered = center.registerShortcut({101, 0});
  }
  bool pressAndWait() {
    const int before = fired;
    return xdotool({"key", "F9"}) && waitUntil([&] { return fired > before; });
  }
  HotKeyCenter center;
  int fired = 0;
  bool registered = false;
};

class HotKeyCenterX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(other.ok());
    center.onPress = [this] { ++fired; };
    ASSERT_TRUE(sentinel.registered);
  }
  OtherClient other;
  Sentinel sentinel;
  HotKeyCenter center;
  int fired = 0;
};

// Turns a lock on for the life of the object and back off afterwards.
class LockOn {
 public:
  LockOn(OtherClient& other, const char* key, uint16_t mask) : other_(other), key_(key), mask_(mask) {
    if (!(other_.modifierState() & mask_)) {
      xdotool({"key", key_});
      toggled_ = true;
    }
  }
  ~LockOn() {
    if (toggled_) xdotool({"key", key_});
  }
  bool on() { return mask_ && (other_.modifierState() & mask_); }

 private:
  OtherClient& other_;
  QString key_;
  uint16_t mask_;
  bool toggled_ = false;
};

}  // namespace

TEST(XKeymap, KeycodesOfTheTableCarryTheUsLayoutKeys) {
  // The table assumes X keycode = evdev code + 8 and a US layout here; check it
  // against the server's own keymap, key by key.
  OtherClient other;
  ASSERT_TRUE(other.ok());
  EXPECT_EQ(other.keysym(kX2, 0), xcb_keysym_t(XK_2));
  int checked = 0;
  for (uint32_t code = 0; code < 128; ++code) {
    const QString name = Shortcut::keyName(code);
    if (name.size() != 1 || name[0].unicode() >= 0x80) continue;
    const auto x = Shortcut{code, 0}.xKeycode();
    ASSERT_TRUE(x.has_value()) << code;
    EXPECT_EQ(other.keysym(uint8_t(*x), 0), xcb_keysym_t(name.toLower()[0].unicode()))
        << "key " << code << " " << name.toStdString();
    ++checked;
  }
  EXPECT_EQ(checked, 47);  // letters, digits and punctuation

  const std::pair<uint32_t, xcb_keysym_t> special[] = {
      {49, XK_space}, {36, XK_Return}, {48, XK_Tab},    {51, XK_BackSpace}, {117, XK_Delete},
      {123, XK_Left}, {124, XK_Right}, {125, XK_Down},  {126, XK_Up},       {115, XK_Home},
      {119, XK_End},  {116, XK_Prior}, {121, XK_Next},  {53, XK_Escape},    {114, XK_Insert},
      {122, XK_F1},   {120, XK_F2},    {99, XK_F3},     {118, XK_F4},       {96, XK_F5},
      {97, XK_F6},    {98, XK_F7},     {100, XK_F8},    {101, XK_F9},       {109, XK_F10},
      {103, XK_F11},  {111, XK_F12},   {10, XK_less},   {76, XK_KP_Enter},  {67, XK_KP_Multiply},
      {69, XK_KP_Add}, {78, XK_KP_Subtract}, {75, XK_KP_Divide}};
  for (const auto& [code, sym] : special) {
    EXPECT_EQ(other.keysym(uint8_t(*Shortcut{code, 0}.xKeycode()), 0), sym) << "key " << code;
  }
  // Keypad digits: their second column is the digit (NumLock on).
  const std::pair<uint32_t, xcb_keysym_t> keypad[] = {
      {82, XK_KP_0}, {83, XK_KP_1}, {84, XK_KP_2}, {85, XK_KP_3}, {86, XK_KP_4},
      {87, XK_KP_5}, {88, XK_KP_6}, {89, XK_KP_7}, {91, XK_KP_8}, {92, XK_KP_9}};
  for (const auto& [code, sym] : keypad) {
    EXPECT_EQ(other.keysym(uint8_t(*Shortcut{code, 0}.xKeycode()), 1), sym) << "key " << code;
  }
}

TEST_F(HotKeyCenterX, APressRunsOnPressOnce) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  EXPECT_TRUE(center.isRegistered());
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(waitUntil([&] { return fired > 0; }));
  ASSERT_TRUE(sentinel.pressAndWait());
  EXPECT_EQ(fired, 1);

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(waitUntil([&] { return fired > 1; }));
  ASSERT_TRUE(sentinel.pressAndWait());
  EXPECT_EQ(fired, 2);
}

namespace {
xcb_key_press_event_t keyEvent(xcb_window_t window, uint8_t type, uint8_t keycode, uint16_t state,
                               uint32_t time) {
  xcb_key_press_event_t event{};
  event.event = window;
  event.response_type = type;
  event.detail = keycode;
  event.state = state;
  event.time = time;
  return event;
}
}  // namespace

// Events fed to the filter directly, to cover both ways a server may report
// auto-repeat whichever one this server uses.
TEST_F(HotKeyCenterX, FilterQueuesOnPressAndDropsBothKindsOfRepeat) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  const uint16_t ctrlShift = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT;
  auto feed = [&](uint8_t type, uint16_t state, uint32_t time, uint8_t keycode = kX2,
                  xcb_window_t window = 0) {
    xcb_key_press_event_t event = keyEvent(window ? window : other.root(), type, keycode, state, time);
    return center.nativeEventFilter("xcb_generic_event_t", &event, nullptr);
  };
  auto settle = [] { QCoreApplication::processEvents(); QCoreApplication::processEvents(); };

  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 1000));
  EXPECT_EQ(fired, 0) << "onPress ran inside the event filter";
  settle();
  EXPECT_EQ(fired, 1);

  // Detectable auto-repeat: press, press, press, release.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 1660));
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 1700));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 1720));
  settle();
  EXPECT_EQ(fired, 1);

  // Plain auto-repeat: each repeat is a release and a press with the same time.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 3000));
  settle();
  EXPECT_EQ(fired, 2);
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 3660));
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 3660));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 3700));
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 3700));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 3750));
  settle();
  EXPECT_EQ(fired, 2);

  // Locks, pointer buttons and the layout group do not matter; other modifiers do.
  const uint16_t numLock = other.numLockMask();
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift | XCB_MOD_MASK_LOCK | numLock | XCB_BUTTON_MASK_1 | 0x2000,
                   5000));
  EXPECT_TRUE(feed(XCB_KEY_RELEASE, ctrlShift, 5050));
  EXPECT_FALSE(feed(XCB_KEY_PRESS, ctrlShift | XCB_MOD_MASK_1, 6000));
  EXPECT_FALSE(feed(XCB_KEY_PRESS, XCB_MOD_MASK_CONTROL, 6100));
  EXPECT_FALSE(feed(XCB_KEY_PRESS, ctrlShift, 6200, kX3));
  // Reported on a window of ours rather than through the grab on the root.
  EXPECT_FALSE(feed(XCB_KEY_PRESS, ctrlShift, 6300, kX2, other.root() + 1));
  settle();
  EXPECT_EQ(fired, 3);

  // A press long after one whose release never came is a new press.
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 7000));
  EXPECT_TRUE(feed(XCB_KEY_PRESS, ctrlShift, 20000));
  settle();
  EXPECT_EQ(fired, 5);

  // A press still queued when the center goes away runs nothing.
  bool ran = false;
  auto gone = std::make_unique<HotKeyCenter>();
  gone->onPress = [&] { ran = true; };
  ASSERT_TRUE(gone->registerShortcut({22, Shortcut::kCommand | Shortcut::kOption}));  // Ctrl+Alt+6
  xcb_key_press_event_t event =
      keyEvent(other.root(), XCB_KEY_PRESS, 15, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1, 8000);
  EXPECT_TRUE(gone->nativeEventFilter("xcb_generic_event_t", &event, nullptr));
  gone.reset();
  settle();
  EXPECT_FALSE(ran);
}

TEST_F(HotKeyCenterX, FiresWithNumLockOn) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  const uint16_t numLock = other.numLockMask();
  ASSERT_NE(numLock, 0) << "NumLock is on no modifier";
  LockOn lock(other, "Num_Lock", numLock);
  ASSERT_TRUE(lock.on());
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST_F(HotKeyCenterX, FiresWithCapsLockOn) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  LockOn lock(other, "Caps_Lock", XCB_MOD_MASK_LOCK);
  ASSERT_TRUE(lock.on());
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST_F(HotKeyCenterX, FiresWithBothLocksOn) {
  ASSERT_TRUE(center.registerShortcut({96, 0}));  // F5 alone
  LockOn num(other, "Num_Lock", other.numLockMask());
  LockOn caps(other, "Caps_Lock", XCB_MOD_MASK_LOCK);
  ASSERT_TRUE(num.on());
  ASSERT_TRUE(caps.on());
  ASSERT_TRUE(xdotool({"key", "F5"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST_F(HotKeyCenterX, HoldingTheKeyFiresOnce) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  PressCounter counter(kX2);
  ASSERT_TRUE(xdotool({"keydown", "ctrl+shift+2"}));
  pump(1000);  // past the auto-repeat delay
  ASSERT_TRUE(xdotool({"keyup", "ctrl+shift+2"}));
  ASSERT_TRUE(sentinel.pressAndWait());
  ASSERT_GT(counter.presses, 1) << "the server sent no auto-repeat";
  EXPECT_EQ(fired, 1);

  // The next real press counts again.
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 2; }));
}

TEST_F(HotKeyCenterX, ACombinationHeldElsewhereFailsAndKeepsThePreviousOne) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  // The other client holds Ctrl+Alt+3 without locks only; our grabs of the lock
  // variants succeed first and must be given back.
  const uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
  ASSERT_TRUE(other.grab(kX3, ctrlAlt));
  const Shortcut ctrlAlt3{20, Shortcut::kCommand | Shortcut::kOption};
  EXPECT_FALSE(center.registerShortcut(ctrlAlt3));
  EXPECT_TRUE(center.isRegistered());
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());

  const uint16_t numLock = other.numLockMask();
  EXPECT_TRUE(other.grab(kX3, ctrlAlt | XCB_MOD_MASK_LOCK));
  if (numLock) {
    EXPECT_TRUE(other.grab(kX3, ctrlAlt | numLock));
    EXPECT_TRUE(other.grab(kX3, ctrlAlt | numLock | XCB_MOD_MASK_LOCK));
  }

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST_F(HotKeyCenterX, RegisteringAnotherShortcutLeavesOnlyTheNewOne) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  const Shortcut ctrlAlt3{20, Shortcut::kCommand | Shortcut::kOption};
  ASSERT_TRUE(center.registerShortcut(ctrlAlt3));
  EXPECT_EQ(center.current(), ctrlAlt3);

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(sentinel.pressAndWait());
  EXPECT_EQ(fired, 0);
  ASSERT_TRUE(xdotool({"key", "ctrl+alt+3"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));

  // The old combination, every lock variant, is free for others again.
  EXPECT_TRUE(other.grab(kX2, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
  EXPECT_TRUE(other.grab(kX2, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK));
  EXPECT_FALSE(other.grab(kX3, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
}

TEST_F(HotKeyCenterX, RegisteringTheSameShortcutAgainKeepsItActive) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(waitUntil([&] { return fired == 1; }));
  ASSERT_TRUE(sentinel.pressAndWait());
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(other.grab(kX2, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));
}

TEST_F(HotKeyCenterX, UnregisterStopsPresses) {
  center.unregister();  // nothing registered: nothing happens
  EXPECT_FALSE(center.isRegistered());
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  center.unregister();
  EXPECT_FALSE(center.isRegistered());
  EXPECT_EQ(center.current(), std::nullopt);

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(sentinel.pressAndWait());
  EXPECT_EQ(fired, 0);
  EXPECT_TRUE(other.grab(kX2, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT));

  // The center works again afterwards.
  other.ungrab(kX2, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT);
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

TEST_F(HotKeyCenterX, EditingCombinationsAndKeylessPositionsAreRefusedWithoutGrabbing) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  EXPECT_FALSE(center.registerShortcut({8, Shortcut::kCommand}));  // Ctrl+C
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());
  EXPECT_TRUE(other.grab(kXC, XCB_MOD_MASK_CONTROL));
  EXPECT_TRUE(other.grab(kXC, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK));

  EXPECT_FALSE(center.registerShortcut({52, Shortcut::kCommand}));  // no such key
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());

  // Without Ctrl, Alt or Super a plain key would be taken from every program.
  EXPECT_FALSE(center.registerShortcut({19, 0}));
  EXPECT_FALSE(center.registerShortcut({19, Shortcut::kShift}));
  EXPECT_EQ(center.current(), Shortcut::defaultShortcut());
  EXPECT_TRUE(other.grab(kX2, 0));
  EXPECT_TRUE(other.grab(kX2, XCB_MOD_MASK_SHIFT));

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 1; }));
}

// Puts NumLock on the Super modifier (Mod4) for the life of the object.
class NumLockOnSuper {
 public:
  explicit NumLockOnSuper(OtherClient& other) : other_(other) {
    saved_ = other_.modifierMap(perModifier_);
    const xcb_keycode_t numLock = 77;
    std::vector<xcb_keycode_t> map;
    for (int mod = 0; mod < 8; ++mod) {
      for (int i = 0; i < perModifier_; ++i) {
        const xcb_keycode_t code = saved_[size_t(mod * perModifier_ + i)];
        map.push_back(code == numLock ? 0 : code);
      }
      map.push_back(mod == 6 ? numLock : 0);
    }
    ok_ = other_.setModifierMap(perModifier_ + 1, map);
  }
  ~NumLockOnSuper() { other_.setModifierMap(perModifier_, saved_); }
  bool ok() const { return ok_; }

 private:
  OtherClient& other_;
  int perModifier_ = 0;
  std::vector<xcb_keycode_t> saved_;
  bool ok_ = false;
};

TEST_F(HotKeyCenterX, AFailedChangeKeepsTheGrabsItSharesWithTheCurrentOne) {
  NumLockOnSuper remap(other);
  ASSERT_TRUE(remap.ok());
  ASSERT_EQ(other.numLockMask(), XCB_MOD_MASK_4);
  // Ctrl+Super+3 is grabbed with and without Lock; Ctrl+3 wants those two plus
  // Ctrl+3 itself with and without Lock, which the other client holds.
  const uint16_t ctrlSuper = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_4;
  ASSERT_TRUE(center.registerShortcut({20, Shortcut::kCommand | Shortcut::kControl}));
  ASSERT_TRUE(other.grab(kX3, XCB_MOD_MASK_CONTROL));
  EXPECT_FALSE(center.registerShortcut({20, Shortcut::kCommand}));
  EXPECT_FALSE(other.grab(kX3, ctrlSuper));
  EXPECT_FALSE(other.grab(kX3, ctrlSuper | XCB_MOD_MASK_LOCK));
}

TEST_F(HotKeyCenterX, DestroyingTheCenterReleasesItsGrab) {
  {
    HotKeyCenter temporary;
    ASSERT_TRUE(temporary.registerShortcut({21, Shortcut::kCommand | Shortcut::kOption}));  // Ctrl+Alt+4
    EXPECT_FALSE(other.grab(13, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
  }
  EXPECT_TRUE(other.grab(13, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1));
  EXPECT_TRUE(other.grab(13, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_LOCK));
}

TEST_F(HotKeyCenterX, MatchesTheHotKeyDeliveredAsAnOrdinaryKeyPress) {
  EXPECT_FALSE(center.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_At,
                                        Qt::ControlModifier | Qt::ShiftModifier, kX2, 0, 0)));
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  EXPECT_TRUE(center.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_At,
                                       Qt::ControlModifier | Qt::ShiftModifier, kX2, 0, 0)));
  EXPECT_FALSE(center.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_2, Qt::ControlModifier, kX2, 0, 0)));
  EXPECT_FALSE(center.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_At,
                                        Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier, kX2,
                                        0, 0)));
  EXPECT_FALSE(center.matches(QKeyEvent(QEvent::KeyPress, Qt::Key_NumberSign,
                                        Qt::ControlModifier | Qt::ShiftModifier, kX3, 0, 0)));
}


namespace {
class KeyWindow : public QWidget {
 public:
  std::function<void(QKeyEvent*)> onKey;

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (onKey) onKey(event);
  }
};
}  // namespace

TEST_F(HotKeyCenterX, AWindowOfOursHoldingTheKeyboardGetsTheHotKeyAsAKeyPress) {
  ASSERT_TRUE(center.registerShortcut(Shortcut::defaultShortcut()));
  KeyWindow window;
  int hotKeyPresses = 0;
  int otherKeys = 0;
  window.onKey = [&](QKeyEvent* event) {
    if (center.matches(*event))
      ++hotKeyPresses;
    else if (event->nativeScanCode() == kX2)
      ++otherKeys;
  };
  window.resize(200, 200);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(waitUntil([&] { return window.isActiveWindow(); }));

  // Merely focused: the hot key is global and the window does not see it.
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(waitUntil([&] { return fired == 1; }));

  window.grabKeyboard();
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  ASSERT_TRUE(waitUntil([&] { return hotKeyPresses == 1; }));
  window.releaseKeyboard();
  xcb_flush(qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection());
  ASSERT_TRUE(sentinel.pressAndWait());
  EXPECT_EQ(fired, 1);
  EXPECT_EQ(otherKeys, 0);

  ASSERT_TRUE(xdotool({"key", "ctrl+shift+2"}));
  EXPECT_TRUE(waitUntil([&] { return fired == 2; }));
  EXPECT_EQ(hotKeyPresses, 1);
}
