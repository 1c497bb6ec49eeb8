#include "app/Launch.h"

#include <QString>

#include "core/Settings.h"
#include "platform/LoginItem.h"
#include "platform/PrefStore.h"

namespace launch {

bool registerHotKey(Settings& settings, const std::function<bool(Shortcut)>& registerShortcut) {
  if (registerShortcut(settings.shortcut())) return false;
  settings.setShortcut(Shortcut::defaultShortcut());
  return !registerShortcut(Shortcut::defaultShortcut());
}

void enableLoginOnFirstRun(PrefStore& store) {
  const QString key = QStringLiteral("loginItemSetUp");
  if (store.boolValue(key)) return;
  store.setBool(key, true);
  // A failure is not retried: the user can still turn it on in the menu.
  if (!LoginItem::isEnabled()) LoginItem::setEnabled(true);
}

Greeting greeting(bool onboarded, bool conflict) {
  if (!onboarded) return Greeting::onboarding;
  return conflict ? Greeting::conflictToast : Greeting::nothing;
}

}  // namespace launch
