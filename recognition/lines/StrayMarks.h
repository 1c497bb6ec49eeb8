#pragma once
#include <functional>

#include "recognition/engines/EngineRun.h"

namespace ocr {

// Leaves out of a line the marks that stand far from its words at either
// end: a token without a letter or a digit ("=", "—", "®", "|") one of whose
// neighbours lies several line heights away is what is left of a widget (the
// arrow at the end of a field, a scroll bar's button) beside the text, never
// text itself. Punctuation next to its words, bullets, and symbols inside a
// line (code's "|", "=") stay, and so does a line of nothing but marks. The line's
// text and box shrink to what is kept.
void dropStrayMarks(EngineLine& line);

// The same for the tokens `isMark` picks, standing at least `gap` line
// heights from the next word.
void dropEndMarks(EngineLine& line, const std::function<bool(const QString&)>& isMark, double gap);

}  // namespace ocr
