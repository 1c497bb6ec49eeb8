#pragma once
#include <Qt>
#include <optional>

#include "toast/ToastLayout.h"

// The keys of a picked toast that holds the keyboard: Ctrl+J joins, Ctrl+E
// edits, Ctrl+Z undoes, Ctrl+O opens the link (only when there is one). Ctrl
// must be alone: with Shift, Alt, Super, a keypad key or Caps Lock nothing acts.
namespace ToastKeys {

std::optional<ToastAction> actionFor(int key, Qt::KeyboardModifiers modifiers, bool capsLock, bool hasLink);

}  // namespace ToastKeys
