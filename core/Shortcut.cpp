#include "core/Shortcut.h"

#include <QKeyEvent>

namespace {

// One row per key position that has a key on a PC keyboard. The evdev code is
// the Linux input code of the key in the same physical place; X adds 8. Modifier
// keys are left out on purpose: a press of Shift while Ctrl is held must not
// become "Ctrl+Shift" as a shortcut. Names follow the display rules: F1-F15 and
// the US-layout keys have one, everything else shows as "#" and its number.
struct KeyRow {
  uint32_t keyCode;
  uint16_t evdev;
  const char* name;  // UTF-8; null when the key is shown by its number
  bool functionKey;  // F1-F15: acceptable without Ctrl, Alt or Super
};

constexpr KeyRow kKeys[] = {
    // Letters.
    {0, 30, "A", false},
    {1, 31, "S", false},
    {2, 32, "D", false},
    {3, 33, "F", false},
    {4, 35, "H", false},
    {5, 34, "G", false},
    {6, 44, "Z", false},
    {7, 45, "X", false},
    {8, 46, "C", false},
    {9, 47, "V", false},
    {11, 48, "B", false},
    {12, 16, "Q", false},
    {13, 17, "W", false},
    {14, 18, "E", false},
    {15, 19, "R", false},
    {16, 21, "Y", false},
    {17, 20, "T", false},
    {31, 24, "O", false},
    {32, 22, "U", false},
    {34, 23, "I", false},
    {35, 25, "P", false},
    {37, 38, "L", false},
    {38, 36, "J", false},
    {40, 37, "K", false},
    {45, 49, "N", false},
    {46, 50, "M", false},
    // Digit row.
    {18, 2, "1", false},
    {19, 3, "2", false},
    {20, 4, "3", false},
    {21, 5, "4", false},
    {23, 6, "5", false},
    {22, 7, "6", false},
    {26, 8, "7", false},
    {28, 9, "8", false},
    {25, 10, "9", false},
    {29, 11, "0", false},
    // Punctuation, named by the unshifted US character.
    {27, 12, "-", false},
    {24, 13, "=", false},
    {33, 26, "[", false},
    {30, 27, "]", false},
    {41, 39, ";", false},
    {39, 40, "'", false},
    {50, 41, "`", false},
    {42, 43, "\\", false},
    {43, 51, ",", false},
    {47, 52, ".", false},
    {44, 53, "/", false},
    // The extra key of ISO keyboards, left of Z.
    {10, 86, nullptr, false},
    // Editing and navigation.
    {49, 57, "Space", false},
    {36, 28, "\u21A9", false},   // ↩ Return
    {48, 15, "\u21E5", false},   // ⇥ Tab
    {51, 14, "\u232B", false},   // ⌫ Backspace
    {117, 111, "\u2326", false},  // ⌦ Delete
    {123, 105, "\u2190", false},  // ←
    {124, 106, "\u2192", false},  // →
    {125, 108, "\u2193", false},  // ↓
    {126, 103, "\u2191", false},  // ↑
    {115, 102, "\u2196", false},  // ↖ Home
    {119, 107, "\u2198", false},  // ↘ End
    {116, 104, "\u21DE", false},  // ⇞ Page Up
    {121, 109, "\u21DF", false},  // ⇟ Page Down
    {53, 1, nullptr, false},      // Escape
    {114, 110, nullptr, false},   // Insert sits where the Help key is
    {110, 127, nullptr, false},   // Menu
    // Function keys.
    {122, 59, "F1", true},
    {120, 60, "F2", true},
    {99, 61, "F3", true},
    {118, 62, "F4", true},
    {96, 63, "F5", true},
    {97, 64, "F6", true},
    {98, 65, "F7", true},
    {100, 66, "F8", true},
    {101, 67, "F9", true},
    {109, 68, "F10", true},
    {103, 87, "F11", true},
    {111, 88, "F12", true},
    {105, 183, "F13", true},
    {107, 184, "F14", true},
    {113, 185, "F15", true},
    {106, 186, nullptr, false},  // F16
    {64, 187, nullptr, false},   // F17
    {79, 188, nullptr, false},   // F18
    {80, 189, nullptr, false},   // F19
    {90, 190, nullptr, false},   // F20
    // Keypad.
    {82, 82, nullptr, false},  // 0
    {83, 79, nullptr, false},  // 1
    {84, 80, nullptr, false},  // 2
    {85, 81, nullptr, false},  // 3
    {86, 75, nullptr, false},  // 4
    {87, 76, nullptr, false},  // 5
    {88, 77, nullptr, false},  // 6
    {89, 71, nullptr, false},  // 7
    {91, 72, nullptr, false},  // 8
    {92, 73, nullptr, false},  // 9
    {65, 83, nullptr, false},  // .
    {67, 55, nullptr, false},  // *
    {69, 78, nullptr, false},  // +
    {75, 98, nullptr, false},  // /
    {76, 96, nullptr, false},  // Enter
    {78, 74, nullptr, false},  // -
    {81, 117, nullptr, false},  // =
    {95, 95, nullptr, false},   // , (Japanese keypad)
    // Japanese keyboards.
    {93, 124, nullptr, false},  // Yen
    {94, 89, nullptr, false},   // Ro
};

constexpr uint32_t kXOffset = 8;

const KeyRow* rowForKeyCode(uint32_t keyCode) {
  for (const KeyRow& row : kKeys) {
    if (row.keyCode == keyCode) return &row;
  }
  return nullptr;
}

const KeyRow* rowForX(uint32_t xKeycode) {
  if (xKeycode < kXOffset) return nullptr;
  for (const KeyRow& row : kKeys) {
    if (row.evdev + kXOffset == xKeycode) return &row;
  }
  return nullptr;
}

}  // namespace

uint32_t Shortcut::modsFromQt(Qt::KeyboardModifiers mods) {
  uint32_t mask = 0;
  if (mods & Qt::ControlModifier) mask |= kCommand;
  if (mods & Qt::ShiftModifier) mask |= kShift;
  if (mods & Qt::AltModifier) mask |= kOption;
  if (mods & Qt::MetaModifier) mask |= kControl;
  return mask;
}

bool Shortcut::isFunctionKey(uint32_t keyCode) {
  const KeyRow* row = rowForKeyCode(keyCode);
  return row && row->functionKey;
}

bool Shortcut::isAcceptable() const {
  return (carbonMods & (kCommand | kOption | kControl)) || isFunctionKey(keyCode);
}

std::optional<Shortcut> Shortcut::fromKey(uint32_t xKeycode, Qt::KeyboardModifiers mods) {
  const auto keyCode = keyCodeForX(xKeycode);
  if (!keyCode) return std::nullopt;
  const Shortcut shortcut{*keyCode, modsFromQt(mods)};
  if (!shortcut.isAcceptable()) return std::nullopt;
  return shortcut;
}

std::optional<Shortcut> Shortcut::fromEvent(const QKeyEvent& event) {
  // The scan code, not Qt::Key: the key position must not depend on what the
  // layout and Shift make of it (Ctrl+Shift+2 arrives as "@").
  return fromKey(event.nativeScanCode(), event.modifiers());
}

QStringList Shortcut::caps() const {
  QStringList out;
  if (carbonMods & kCommand) out << QStringLiteral("Ctrl");
  if (carbonMods & kOption) out << QStringLiteral("Alt");
  if (carbonMods & kShift) out << QStringLiteral("Shift");
  if (carbonMods & kControl) out << QStringLiteral("Super");
  out << keyName(keyCode);
  return out;
}

QString Shortcut::keyName(uint32_t keyCode) {
  const KeyRow* row = rowForKeyCode(keyCode);
  if (row && row->name) return QString::fromUtf8(row->name);
  return QStringLiteral("#") + QString::number(keyCode);
}

bool Shortcut::isReservedForEditing() const {
  if (carbonMods != kCommand) return false;
  switch (keyCode) {
    case 0:  // A
    case 6:  // Z
    case 7:  // X
    case 8:  // C
    case 9:  // V
      return true;
    default:
      return false;
  }
}

std::optional<uint32_t> Shortcut::xKeycode() const {
  const KeyRow* row = rowForKeyCode(keyCode);
  if (!row) return std::nullopt;
  return row->evdev + kXOffset;
}

std::optional<uint32_t> Shortcut::keyCodeForX(uint32_t xKeycode) {
  const KeyRow* row = rowForX(xKeycode);
  if (!row) return std::nullopt;
  return row->keyCode;
}
