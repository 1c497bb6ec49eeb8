#pragma once
#include <QImage>

#include "recognition/engines/EngineRun.h"

// xterm's 6x13 face draws its full stop as a small diamond; enlarged and
// softened for the engine, it reads as a comma ("3,134", "1,2,5,1-2" for
// dpkg's versions). Both end on the same row; but a comma's tail hangs to
// the left, and the diamond is upright: the image tells them apart.
namespace ocr {

// In `line` as read from `grey8` (bitmap text enlarged `scale` times, dark on
// light, `ground` its background grey; the word boxes in its pixels), each
// comma whose mark on the foot of its word is upright (its lower half stands
// less than a quarter of a source pixel left of its upper half) becomes a
// full stop; so does a run of ",." read for one such mark. A word whose
// marks on the foot do not match its runs of ".,:;" one for one is left as
// it is.
void commasOnTheFoot(EngineLine& line, const QImage& grey8, int ground, int scale);

}  // namespace ocr
