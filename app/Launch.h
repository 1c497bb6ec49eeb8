#pragma once
#include <functional>

#include "core/Shortcut.h"

class PrefStore;
class Settings;

// The decisions of the launch that outlive one run: the hot key with its
// fallback, the one-time login item, and what greets the user.
namespace launch {

// Registers the stored shortcut. When another program holds it, the default
// (Ctrl+Shift+2) is stored in its place and registered; answers true (a
// conflict) only when that is taken as well.
bool registerHotKey(Settings& settings, const std::function<bool(Shortcut)>& registerShortcut);

// Registers the program to start at login, the first time a launch gets here
// only; later launches leave the user's choice alone, even when the first
// attempt failed. The flag "loginItemSetUp" lives in `store`.
void enableLoginOnFirstRun(PrefStore& store);

enum class Greeting { onboarding, conflictToast, nothing };
// A user not yet onboarded sees the onboarding window (which tells of a
// conflict too); otherwise a conflict shows the conflict toast.
Greeting greeting(bool onboarded, bool conflict);

inline constexpr int kOnboardingDelayMs = 600;
inline constexpr int kConflictToastDelayMs = 800;

}  // namespace launch
