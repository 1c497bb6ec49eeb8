#pragma once
#include <QImage>
#include <QStringList>
#include <array>
#include <vector>

#include "recognition/base/Result.h"

// The fixed material the snapshots show: a small table drawn as an image and
// recognised for real, a paragraph of text, and a QR code's result.
namespace Snapshot {

// The table's rows, heading first; every row holds four cells.
const std::vector<QStringList>& tableRows();
// Where each column starts, in logical pixels from the left edge.
inline constexpr std::array<qreal, 4> kColumns{20, 150, 320, 400};

// The table drawn black on white: 500 × 180 logical pixels at ratio 2.
QImage sampleImage();

// Two rows of Korean text, one piece each, without geometry.
Recognized textSample();
// One row and one QR code holding the project's address (the About window's
// link, or a documentation address when this build names none).
Recognized qrSample();
QString qrAddress();

}  // namespace Snapshot
