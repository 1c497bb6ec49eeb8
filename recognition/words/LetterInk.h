#pragma once
#include <QImage>
#include <functional>

#include "recognition/engines/EngineRun.h"

// The engine reads a "c" as "e" in small monospace text ("bc" as "be",
// "bdftopcf" as "bdftopef", in xterm's bitmap face and in DejaVu Sans Mono
// alike): the two differ by the bar that closes the eye, a row or two of
// pixels. And DejaVu Sans Mono's "l", whose foot turns right, reads as "L"
// ("x86_64-Linux-gnu", "../Lib/Llvm-14"): but its top reaches out left of its
// stem, and an "L"'s stem is its left edge (or a serif face's "L" reaches
// out at its foot as well). The letter's own ink tells them apart, in a
// monospace face only: a small serif face's "e" has its bar high and an eye
// that anti-aliasing fills.
namespace ocr {

// In `line` as read from `grey8` (dark on light, `ground` its background
// grey; the word boxes in its pixels), when its letters stand one pitch apart
// (nearly all neighbours within its words, enough of them to tell), in each
// word whose marks of ink stand one per letter: an "e" becomes a "c" when
// its mark holds no eye (no ground closed in by ink) and nothing in the right
// part of its middle rows, where an "e" has the end of its bar; an "L"
// becomes an "l" when its top reaches out well left of its stem and its foot
// does not. A word whose marks and letters do not match one for one is left
// as it is. `boxIn`, when given, turns a word's box into `grey8`'s pixels.
// A line the caller knows is monospace (a bitmap face's) is not measured.
enum class Pitch { FromInk, Fixed };
void lettersByTheirInk(EngineLine& line, const QImage& grey8, int ground,
                       const std::function<QRect(const QRect&)>& boxIn = {}, Pitch pitch = Pitch::FromInk);

}  // namespace ocr
