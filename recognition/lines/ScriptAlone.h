#pragma once
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "recognition/engines/EngineRun.h"
#include "recognition/engines/EnginePool.h"

// A short word of a script other than Latin standing alone in a box (a radio
// button's label, a day in a file list) offers the engine little to tell its
// script by, and the English model paired with the pass's own reads it as
// Latin look-alikes or digits ("今日" as "48", "어둡게" as "HFA") or finds
// nothing there. Such boxes are read again by the pass's first model alone,
// and that read is kept when it holds letters of another script than Latin
// and reads fairly well.
namespace ocr {

// The first model of `key` ("jpn" of "jpn+eng") when it writes a script
// other than Latin and reads paired with another; empty otherwise, when
// there is no model to read alone.
QString modelAlone(const QString& key);

// Reads box `index` with `engine`, `larger` times the pass's height; nothing
// when it holds no text.
using BoxReader = std::function<std::optional<EngineLine>(EnginePool::Lease& engine, size_t index, double larger)>;

// Reads again, with the first model of `key` alone, those of `todo` (indexes
// into `boxes` and `found`) that `found` says may be such words, and keeps
// the better reads in `found`. Nothing happens when the first model writes
// Latin, when `key` has no other model, or when so many boxes look doubtful
// that the image is not in the pass's script. One engine reads them all.
void readAlone(const QString& key, const std::vector<QRect>& boxes, const std::vector<int>& todo,
               std::vector<std::optional<EngineLine>>& found, const BoxReader& read, EnginePool& pool);

}  // namespace ocr
