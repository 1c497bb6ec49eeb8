#pragma once
#include <QImage>
#include <QString>

#include "recognition/engines/EnginePool.h"
#include "recognition/engines/EngineRun.h"

// File names in a script without Latin look-alikes and a Latin extension
// ("예산.xlsx", "写真.jpg", "تقرير.pdf"): read in its line by a pass whose
// first model reads that script, the extension comes back in the script or
// as digits ("예산.xisx", "사진.108"), the dot is lost ("写真jpg"), or the
// name is read as Latin junk. Where a dot stands inside a word, the run of
// ink on each side of it is read again alone, by a Latin engine and by the
// pass's own. A side that reads as a Latin word is the extension; the other
// is the name, as the line read it where that is clean, else as read alone.
// The word becomes name, dot and extension (right to left, the extension
// stands at the left of the name). Where both sides read as Latin, only a
// clean name in the line tells which is which.
namespace ocr {

// Whether a pass reading with `key` ("kor+eng") reads Latin runs apart: its
// first model writes Korean, Japanese, Chinese, Thai or Arabic.
bool readsLatinRunsApart(const QString& key);

// The key of the Latin engine the runs are read again with.
QString latinRunsKey();

// Re-reads the runs beside the inner dots of `image` (one line, dark on
// light, `ground` its background) and puts what reads better in place of the
// words of `line` there (boxes in `image`'s pixels). `engine` is the pass's
// engine; the Latin one comes from `pool`.
void readLatinRuns(EngineLine& line, const QImage& image, int ground, EnginePool::Lease& engine, EnginePool& pool);

}  // namespace ocr
