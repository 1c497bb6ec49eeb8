#pragma once
#include <QRect>
#include <functional>
#include <optional>
#include <vector>

#include "recognition/engines/EnginePool.h"
#include "recognition/engines/EngineRun.h"

// Inside a line read in the pass's own script, a word the paired English
// model took for Latin letters ("주소를" as "FAB" in a Korean sentence,
// "مستند" as "تنا" or "yai") is read again by the pass's first model alone,
// and that read replaces it when it is mostly in the line's script and reads
// well. A Latin word that is one ("PDF" in a Korean sentence) reads poorly or
// in Latin alone, and stays.
namespace ocr {

// Reads the ink in `box` (source pixels) as one line with `engine`.
using WordReader = std::function<std::optional<EngineLine>(EnginePool::Lease& engine, const QRect& box)>;

// Reads such words of `found` again with the first model of `key` alone and
// puts the better reads in place, in the line's text and its words. Nothing
// happens when the first model writes Latin or `key` has no other model.
void readWordsAlone(const QString& key, std::vector<std::optional<EngineLine>>& found, const WordReader& read,
                    EnginePool& pool);

}  // namespace ocr
