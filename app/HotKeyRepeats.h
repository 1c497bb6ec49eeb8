#pragma once
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

class QKeyEvent;

// Tells the key repeats of a held hot key from new presses among the key
// presses that reach our own windows. The overlay takes the keyboard while
// the hot key that opened it is still down, so its repeats arrive there as
// ordinary presses; Qt flags them as repeats only when the server sends a
// release before each one, and X servers with detectable auto-repeat send
// none. So the X key events themselves are watched: a press of the key
// before its release, or at the very time of its release, is a repeat.
class HotKeyRepeats : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  // `keycode` answers the X keycode of the current hot key, if any.
  explicit HotKeyRepeats(std::function<std::optional<uint8_t>()> keycode, QObject* parent = nullptr);
  ~HotKeyRepeats() override;

  // Whether a press delivered to one of our windows was a repeat (matched by its time).
  bool isRepeat(const QKeyEvent& event) const;

  // Whether the latest press of the hot key was a repeat.
  bool lastPressRepeated() const { return lastRepeated_; }

  // The hot key's own filter takes its presses and releases on the root
  // window: this filter must see them first, so it goes to the front of the
  // filters after each registration of the hot key.
  void moveToFront();

  // One X key event: press or release of `keycode` at `time`.
  void note(bool press, uint8_t keycode, uint32_t time);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  std::function<std::optional<uint8_t>()> keycode_;
  bool held_ = false;
  bool lastRepeated_ = false;
  std::optional<uint32_t> lastRelease_;
  std::deque<uint32_t> repeats_;  // times of recent repeat presses
};
