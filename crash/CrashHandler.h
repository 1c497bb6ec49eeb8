#pragma once
#include <QByteArray>
#include <QString>

// The fatal-signal handler. On SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT,
// SIGTRAP (and std::terminate, which ends in SIGABRT) it writes one crash file
// and then lets the signal end the process as it would have without us: the
// previous handler is put back and the signal delivered again, so the exit
// status and core dumps stay the same. Stack overflows are caught on an
// alternate signal stack, on any thread (crash/SignalStack.h).
namespace crash::handler {

// `dir` receives the crash files; `header` (lines of text) is written at the
// top of each. Both are copied now: the handler may not allocate.
bool install(const QString& dir, const QByteArray& header);
// Puts back the handlers, the terminate handler and the installing thread's signal stack.
void uninstall();
bool installed();

}  // namespace crash::handler
