#pragma once
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>
#include <optional>
#include <vector>

#include "core/Shortcut.h"

class QKeyEvent;
struct xcb_connection_t;

// Owner of the one system-wide hot key. The key is grabbed passively on the X
// root window; presses reach us through Qt's native event filter and `onPress`
// runs later on the main loop, never inside the filter.
class HotKeyCenter : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  explicit HotKeyCenter(QObject* parent = nullptr);
  ~HotKeyCenter() override;

  std::function<void()> onPress;

  // Makes `shortcut` the one active hot key. False when another client holds
  // the combination, when it lacks Ctrl, Alt or Super on a key other than
  // F1-F15, when it is a reserved editing combination, when its key has no X
  // keycode, or when there is no X connection. A failure keeps the previously
  // registered shortcut active.
  bool registerShortcut(Shortcut shortcut);
  void unregister();
  bool isRegistered() const { return current_.has_value(); }
  std::optional<Shortcut> current() const { return current_; }

  // Whether a key press delivered to one of our windows is the hot key. While a
  // window of ours holds the keyboard, the server does not activate the passive
  // grab, so that window sees the hot key as an ordinary key press (auto-repeat
  // included) and onPress does not run.
  bool matches(const QKeyEvent& event) const;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Grab {
    uint8_t keycode = 0;
    uint16_t modifiers = 0;  // including the lock variant
  };

  // Grabs every lock variant of (keycode, mods); all or nothing. `ignored`
  // receives the lock bits the variants cover.
  bool grabAll(xcb_connection_t* conn, uint8_t keycode, uint16_t mods, std::vector<Grab>& taken,
               uint16_t& ignored);
  // Releases `grabs` except those also in `keep`.
  void ungrab(xcb_connection_t* conn, const std::vector<Grab>& grabs,
              const std::vector<Grab>& keep = {});
  uint16_t numLockMask(xcb_connection_t* conn) const;

  std::optional<Shortcut> current_;
  std::vector<Grab> grabs_;
  uint32_t root_ = 0;
  uint8_t keycode_ = 0;
  uint16_t xMods_ = 0;        // the modifiers that must be down, as X state bits
  uint16_t ignoredMods_ = 0;  // Lock and NumLock: either may be on
  bool filterInstalled_ = false;

  // Auto-repeat suppression. With detectable auto-repeat the server sends
  // press, press, ..., release; without it, each repeat is a release and a press
  // carrying the same time.
  bool keyHeld_ = false;
  uint32_t lastPressTime_ = 0;
  bool haveRelease_ = false;
  uint32_t lastReleaseTime_ = 0;
};
