#pragma once
#include <optional>
#include <vector>

#include "recognition/engines/EngineRun.h"

// Read alone, a short word a table repeats down a column looks like chrome:
// the "ii" before every package of `dpkg -l` is two letters in a square box,
// read at 0.82 to 0.88 where check boxes and icons come out as letters too.
// Three or more lines that read the same two letters or more in boxes of
// one size, one above the other at one left edge, and no taller than the
// lines around them, are a column of text; a column of icons read as
// letters stands taller than the text, or reads as one letter.
namespace ocr {

// For each of `lines` (empty ones count as none), whether it stands in such
// a column.
std::vector<bool> inRepeatedColumn(const std::vector<std::optional<EngineLine>>& lines);

}  // namespace ocr
