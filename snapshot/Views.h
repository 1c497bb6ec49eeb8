#pragma once
#include <QString>

#include "ui/menu/MenuState.h"

class Settings;
class ToastModel;

// Each function builds one view the program shows, with actions that do
// nothing, draws it with Snapshot::save (the hint bar at the screen's own
// pixel ratio) and answers whether the file was written.
namespace Snapshot {

bool menu(Settings& settings, MenuState::Page page, const QString& path);
bool toast(ToastModel& model, const QString& path);
bool onboarding(Settings& settings, bool conflict, bool permission, const QString& path);
bool about(const QString& path);
// The capture overlay's bar as it shows over a 1000 × 120 screen, with a
// last pick, so that the same-spot hint is part of it.
bool hint(const QString& path);

}  // namespace Snapshot
