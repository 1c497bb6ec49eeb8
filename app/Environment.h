#pragma once

// Process set-up that has to happen before QApplication exists.
namespace Environment {

// Tesseract's OpenMP runtime reads OMP_THREAD_LIMIT only when the library
// loads, which is before main: without it, recognition burns three times the
// CPU for nothing. When it is missing the process re-executes itself once with
// it set; this returns only when no re-execution was needed or it failed.
void ensureThreadLimit(char** argv);

// Console switches need no display: pick Qt's offscreen platform when there is
// no display and nothing else was asked for.
void preferOffscreenForConsole(bool consoleSwitch);

}  // namespace Environment
