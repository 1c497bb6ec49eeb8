#pragma once
#include <QImage>

// Text drawn without anti-aliasing (a terminal's bitmap face, such as the X
// server's "fixed" 6x13): two grey levels and no rims. Smooth scaling turns
// its one-pixel strokes into faint, jagged bands that the engine misreads
// ("-rwxr-xr-x" as "-ruxp-xr-x", "17" as "1?", "l" as "]"); enlarged by a
// whole factor and softened, it reads like rendered text.
namespace ocr {

// Whether the ink of `grey8` (dark on a `ground` grey) has two levels: no
// more than a few of its marked pixels lie between the ground and its
// darkest grey.
bool twoLevel(const QImage& grey8, int ground);

// `grey8` enlarged `factor` times by repeating its pixels, then averaged
// over squares of about two thirds of the factor on either side: the steps
// become the soft edges anti-aliased text has.
QImage enlargedBitmap(const QImage& grey8, int factor);

// How far that averaging spreads ink, in enlarged pixels.
int softening(int factor);

}  // namespace ocr
