#pragma once
#include <QString>
#include <QStringList>
#include <Qt>
#include <cstdint>
#include <optional>

class QKeyEvent;

// A global key combination. Stored values keep their portable meaning: keyCode
// is a physical key position (ANSI virtual key numbering: 19 is the key that
// carries "2" on a US layout) and carbonMods a mask of command 0x100, shift
// 0x200, option 0x800 and control 0x1000. On Linux command is Ctrl, option Alt,
// control Super.
struct Shortcut {
  uint32_t keyCode = 19;
  uint32_t carbonMods = 0x300;

  static constexpr uint32_t kCommand = 0x100;
  static constexpr uint32_t kShift = 0x200;
  static constexpr uint32_t kOption = 0x800;
  static constexpr uint32_t kControl = 0x1000;
  static constexpr uint32_t kAllMods = kCommand | kShift | kOption | kControl;

  // Ctrl+Shift+2.
  static Shortcut defaultShortcut() { return {19, 0x300}; }

  // A shortcut from a key press, or none when the combination is not acceptable
  // (no Ctrl, Alt or Super, unless the key is F1-F15). `xKeycode` is the X
  // keycode of the physical key (QKeyEvent::nativeScanCode()).
  static std::optional<Shortcut> fromKey(uint32_t xKeycode, Qt::KeyboardModifiers mods);
  static std::optional<Shortcut> fromEvent(const QKeyEvent& event);

  // Display key caps: "Ctrl", "Alt", "Shift", "Super" (those present, in that
  // order), then the key's name.
  QStringList caps() const;
  static QString keyName(uint32_t keyCode);

  // The mask of Qt modifiers: Ctrl, Shift, Alt, Meta (Super); others ignored.
  static uint32_t modsFromQt(Qt::KeyboardModifiers mods);
  // F1-F15, the keys acceptable without Ctrl, Alt or Super.
  static bool isFunctionKey(uint32_t keyCode);

  // Ctrl, Alt or Super, or a function key: anything else would take a key
  // that is needed for typing away from every other program.
  bool isAcceptable() const;

  // Combinations every desktop uses for editing (Ctrl+C, V, X, Z, A): grabbing
  // them globally would break copy and paste everywhere.
  bool isReservedForEditing() const;

  // The X keycode of the key position (evdev code + 8), or none for a position
  // that has no key on a PC keyboard.
  std::optional<uint32_t> xKeycode() const;
  // The key position of an X keycode, or none.
  static std::optional<uint32_t> keyCodeForX(uint32_t xKeycode);

  friend bool operator==(const Shortcut&, const Shortcut&) = default;
};
