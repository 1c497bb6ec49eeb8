#pragma once
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// The desktop's light/dark choice and its reduced-motion wish. Both come from
// the desktop portal's settings when a portal answers; otherwise the light/dark
// choice follows the application palette and motion is never reduced.
namespace Appearance {

// True when views should draw their dark variant.
bool isDark();
// Pins the answer of isDark() (snapshot renderer, tests); none follows the desktop again.
void setForced(std::optional<bool> dark);

// True when the desktop asks for fewer animations.
bool reduceMotion();
// Pins the answer of reduceMotion() (tests); none follows the desktop again.
void setReduceMotionForced(std::optional<bool> reduce);

// Reads one portal setting: (namespace, key) -> value, or none when unreadable.
using SettingSource = std::function<std::optional<QVariant>(const QString&, const QString&)>;
// Replaces the portal (tests). An empty function restores the real portal.
// Either way the cached answers are dropped and read again on next use.
void setSettingSource(SettingSource source);

// Emits `changed` when the portal reports a new colour scheme or animation
// setting, or an override changes; views repaint on it.
class Notifier : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;
 signals:
  void changed();
};
Notifier& notifier();

}  // namespace Appearance
