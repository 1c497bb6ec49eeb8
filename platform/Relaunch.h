#pragma once
#include <QString>
#include <QStringList>
#include <functional>

// Starting a fresh copy of the program and ending this one. The running copy
// ends only once the new one has really started: a failed start must not
// leave the user with no program at all.
namespace Relaunch {

// The new copy finds the process id of the copy that started it here, so a
// single-instance guard can wait for that one to end instead of handing the
// launch over to it.
inline constexpr const char* kRelaunchedFrom = "TARVOK_RELAUNCHED_FROM";

// How long the old copy stays after the new one started.
inline constexpr int kQuitDelayMs = 300;

// Starts `program` with `arguments`, detached, with kRelaunchedFrom set to
// this process's id. When it started, `quit` runs on the event loop
// `delayMs` later; when it did not, `quit` never runs. Returns whether it started.
bool run(const QString& program, const QStringList& arguments, std::function<void()> quit,
         int delayMs = kQuitDelayMs);

// Starts this executable again, without arguments, and quits the
// application once that start succeeded.
bool relaunch();

}  // namespace Relaunch
