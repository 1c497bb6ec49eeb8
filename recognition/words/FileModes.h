#pragma once
#include "recognition/engines/EngineRun.h"

// The file mode that starts a line of `ls -l` ("-rwxr-xr-x", "lrwxrwxrwx"),
// read with the look-alikes its letters have in terminal faces: DejaVu Sans
// Mono's "l" with its foot read as "L", the narrow "w" of xterm's bitmap face
// read as "u", the leading dash lost at a window's edge, an "x" beside a dash
// read as "XxX", the mode read as up to three words ("Lrwx rwx rwx"). A mode is nine
// letters of a fixed alphabet per place, which no word of a language is: a
// first word that is one but for such look-alikes is one.
namespace ocr {

// Puts right the first word of `line` (or its first two or three words,
// made one) and the line's text when it is a file mode but for look-alikes;
// a mode without its leading dash only on a line of several words, as a
// listing's.
void repairFileMode(EngineLine& line);

}  // namespace ocr
