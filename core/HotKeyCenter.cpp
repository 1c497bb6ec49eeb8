#include "core/HotKeyCenter.h"

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <algorithm>
#include <cstdlib>

#include "core/Log.h"

namespace {

xcb_connection_t* qtConnection() {
  if (!qGuiApp) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The root window of the screen Qt opened (the one DISPLAY names).
xcb_window_t rootWindow(xcb_connection_t* conn) {
  int screen = 0;
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
  std::free(host);
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(conn));
  xcb_window_t first = it.data ? it.data->root : xcb_window_t(XCB_WINDOW_NONE);
  for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
    if (i == screen) return it.data->root;
  }
  return first;
}

// Command is Ctrl, option Alt, control Super.
uint16_t xModifiers(uint32_t mask) {
  uint16_t mods = 0;
  if (mask & Shortcut::kCommand) mods |= XCB_MOD_MASK_CONTROL;
  if (mask & Shortcut::kShift) mods |= XCB_MOD_MASK_SHIFT;
  if (mask & Shortcut::kOption) mods |= XCB_MOD_MASK_1;
  if (mask & Shortcut::kControl) mods |= XCB_MOD_MASK_4;
  return mods;
}

// Key state bits that are modifiers; the rest are pointer buttons and the XKB group.
constexpr uint16_t kModifierBits = XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_CONTROL |
                                   XCB_MOD_MASK_1 | XCB_MOD_MASK_2 | XCB_MOD_MASK_3 |
                                   XCB_MOD_MASK_4 | XCB_MOD_MASK_5;

// A press this long after the previous one is a new press even if its release
// went missing; auto-repeat comes many times a second.
constexpr uint32_t kRepeatGapMs = 2000;

}  // namespace

HotKeyCenter::HotKeyCenter(QObject* parent) : QObject(parent) {}

HotKeyCenter::~HotKeyCenter() {
  unregister();
  if (filterInstalled_ && QCoreApplication::instance())
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

uint16_t HotKeyCenter::numLockMask(xcb_connection_t* conn) const {
  xcb_key_symbols_t* syms = xcb_key_symbols_alloc(conn);
  if (!syms) return 0;
  xcb_keycode_t* numLockCodes = xcb_key_symbols_get_keycode(syms, XK_Num_Lock);
  xcb_key_symbols_free(syms);
  if (!numLockCodes) return 0;

  uint16_t mask = 0;
  xcb_get_modifier_mapping_reply_t* reply =
      xcb_get_modifier_mapping_reply(conn, xcb_get_modifier_mapping(conn), nullptr);
  if (reply) {
    const xcb_keycode_t* map = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int mod = 0; mod < 8 && !mask; ++mod) {
      for (int i = 0; i < perModifier && !mask; ++i) {
        const xcb_keycode_t code = map[mod * perModifier + i];
        if (code == XCB_NO_SYMBOL) continue;
        for (const xcb_keycode_t* n = numLockCodes; *n != XCB_NO_SYMBOL; ++n) {
          if (*n == code) {
            mask = uint16_t(1u << mod);
            break;
          }
        }
      }
    }
    std::free(reply);
  }
  std::free(numLockCodes);
  return mask;
}

bool HotKeyCenter::grabAll(xcb_connection_t* conn, uint8_t keycode, uint16_t mods,
                           std::vector<Grab>& taken, uint16_t& ignored) {
  const xcb_window_t root = rootWindow(conn);
  std::vector<uint16_t> variants{0, XCB_MOD_MASK_LOCK};
  const uint16_t numLock = numLockMask(conn);
  // A NumLock that shares a bit with the combination itself (or with Lock)
  // adds no variant of its own.
  if (numLock && !(numLock & (mods | XCB_MOD_MASK_LOCK))) {
    variants.push_back(numLock);
    variants.push_back(numLock | XCB_MOD_MASK_LOCK);
  }
  ignored = XCB_MOD_MASK_LOCK | (variants.size() > 2 ? numLock : 0);

  // owner_events 0: while our grab is active every key event is reported on the
  // root window, which is how the filter tells it from a key press that one of
  // our own windows receives while it holds the keyboard.
  std::vector<xcb_void_cookie_t> cookies;
  for (uint16_t variant : variants) {
    cookies.push_back(xcb_grab_key_checked(conn, 0, root, mods | variant, keycode,
                                           XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  }
  bool ok = true;
  for (size_t i = 0; i < cookies.size(); ++i) {
    if (xcb_generic_error_t* error = xcb_request_check(conn, cookies[i])) {
      qCDebug(lcHotKey) << "grab of keycode" << int(keycode) << "modifiers" << Qt::hex
                        << (mods | variants[i]) << "failed with X error" << Qt::dec
                        << error->error_code;
      std::free(error);
      ok = false;
    } else {
      taken.push_back({keycode, uint16_t(mods | variants[i])});
    }
  }
  if (!ok) {
    // A variant the current hot key holds too stays: it is still in use.
    ungrab(conn, taken, grabs_);
    taken.clear();
  }
  return ok;
}

void HotKeyCenter::ungrab(xcb_connection_t* conn, const std::vector<Grab>& grabs,
                          const std::vector<Grab>& keep) {
  if (grabs.empty()) return;
  const xcb_window_t root = rootWindow(conn);
  for (const Grab& g : grabs) {
    const bool kept = std::any_of(keep.begin(), keep.end(), [&](const Grab& k) {
      return k.keycode == g.keycode && k.modifiers == g.modifiers;
    });
    if (!kept) xcb_ungrab_key(conn, g.keycode, root, g.modifiers);
  }
  xcb_flush(conn);
}

bool HotKeyCenter::registerShortcut(Shortcut shortcut) {
  xcb_connection_t* conn = qtConnection();
  if (!conn) {
    qCWarning(lcHotKey) << "no X connection: the global hot key is not available";
    return false;
  }
  if (!shortcut.isAcceptable()) {
    qCInfo(lcHotKey) << "refused" << shortcut.caps().join('+') << ": needs Ctrl, Alt or Super";
    return false;
  }
  if (shortcut.isReservedForEditing()) {
    qCInfo(lcHotKey) << "refused" << shortcut.caps().join('+') << ": reserved for editing";
    return false;
  }
  const auto keycode = shortcut.xKeycode();
  if (!keycode || *keycode > 255) {
    qCInfo(lcHotKey) << "refused" << shortcut.caps().join('+') << ": no such key here";
    return false;
  }
  if (current_ == shortcut) return true;

  if (!filterInstalled_) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    filterInstalled_ = true;
  }

  // Grab the new one before letting go of the old one, so that a combination
  // taken elsewhere leaves the working hot key in place.
  const uint16_t mods = xModifiers(shortcut.carbonMods);
  std::vector<Grab> taken;
  uint16_t ignored = 0;
  if (!grabAll(conn, uint8_t(*keycode), mods, taken, ignored)) {
    qCInfo(lcHotKey) << "could not register" << shortcut.caps().join('+')
                     << ": held by another client";
    return false;
  }
  ungrab(conn, grabs_, taken);
  grabs_ = std::move(taken);
  current_ = shortcut;
  root_ = rootWindow(conn);
  keycode_ = uint8_t(*keycode);
  xMods_ = mods;
  ignoredMods_ = ignored;
  keyHeld_ = false;
  haveRelease_ = false;
  qCDebug(lcHotKey) << "registered" << shortcut.caps().join('+');
  return true;
}

void HotKeyCenter::unregister() {
  if (!current_) return;
  if (xcb_connection_t* conn = qtConnection()) ungrab(conn, grabs_);
  grabs_.clear();
  current_.reset();
  keyHeld_ = false;
  haveRelease_ = false;
}

bool HotKeyCenter::matches(const QKeyEvent& event) const {
  if (!current_) return false;
  const auto keyCode = Shortcut::keyCodeForX(event.nativeScanCode());
  return keyCode && *keyCode == current_->keyCode &&
         Shortcut::modsFromQt(event.modifiers()) == current_->carbonMods;
}

bool HotKeyCenter::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (!current_ || eventType != "xcb_generic_event_t") return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  const uint8_t type = event->response_type & 0x7f;

  if (type == XCB_KEY_PRESS) {
    auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
    // A press on one of our windows means that window holds the keyboard (the
    // server then does not activate our grab): it is that window's key press.
    if (key->detail != keycode_ || key->event != root_) return false;
    if ((key->state & kModifierBits & ~ignoredMods_) != xMods_) return false;
    const bool repeat = (keyHeld_ && key->time - lastPressTime_ < kRepeatGapMs) ||
                        (haveRelease_ && key->time == lastReleaseTime_);
    keyHeld_ = true;
    haveRelease_ = false;
    lastPressTime_ = key->time;
    if (!repeat) {
      // Queued with this object as context: runs after the event is handled,
      // and not at all once the center is gone.
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (onPress) onPress();
          },
          Qt::QueuedConnection);
    }
    return true;
  }
  if (type == XCB_KEY_RELEASE) {
    auto* key = reinterpret_cast<xcb_key_release_event_t*>(event);
    if (key->detail != keycode_ || !keyHeld_) return false;
    keyHeld_ = false;
    haveRelease_ = true;
    lastReleaseTime_ = key->time;
    return true;
  }
  return false;
}
