#pragma once
#include <QString>

// The console output of the developer switches: each message is one line,
// written as UTF-8 and flushed at once, so that a reader of a pipe sees it
// while the process is still running.
namespace console {

void line(const QString& text);

}  // namespace console
