#include "toast/ToastKeys.h"

namespace ToastKeys {

std::optional<ToastAction> actionFor(int key, Qt::KeyboardModifiers modifiers, bool capsLock, bool hasLink) {
  if (capsLock || modifiers != Qt::ControlModifier) return std::nullopt;
  switch (key) {
    case Qt::Key_J: return ToastAction::toggleJoin;
    case Qt::Key_E: return ToastAction::edit;
    case Qt::Key_Z: return ToastAction::undo;
    case Qt::Key_O: return hasLink ? std::optional(ToastAction::open) : std::nullopt;
    default: return std::nullopt;
  }
}

}  // namespace ToastKeys
