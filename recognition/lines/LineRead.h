#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

#include "recognition/engines/EngineRun.h"

// The text engine reading lines found by the detector, one box at a time as
// a single line: each box cut out with a margin (ascenders, accents and
// underscores reach beyond the detector's box), turned dark on light, scaled
// to a fixed height, read in the engine's single-line mode. The boxes are
// read side by side on engines of the pool.
namespace ocr {

struct LineReadConfig {
  // The height a box's ink band is scaled to before reading, in pixels; 0:
  // the accurate reader's height for the script of the engine's first
  // model, but Korean's is the Latin one (dialogs, words found: Korean 87 %
  // at 32 against 79 % at 26; Arabic and Chinese pages read best at 26, as
  // whole pages do).
  double inkHeight = 0;
  double maxScale = 4;
  double minScale = 0.5;
  // Margins around a box, as fractions of its height.
  double marginY = 0.15;
  double marginX = 0.2;
  // Ground added around the cut-out, in scaled pixels.
  int pad = 8;
  // Engines reading boxes side by side: idle ones join up to the number a
  // read wants; new ones start only for many boxes, and only up to the read's
  // share of the cores (the cores less one, shared by the passes running side
  // by side). The 85 lines of a full-HD desktop took 720 ms on 4 engines,
  // 420 ms on 7.
  int maxEngines = 7;
  int boxesPerEngine = 8;
  // Boxes' lengths in their heights per engine: a Korean page of 25 lines
  // of 50 took 1.8 s on 4 engines (as its count gave), 1.1 s on 7.
  double heightsPerEngine = 48;
};

// The lines read from `boxes` (pixels of `page`, top-left origin) with an
// engine of `key`; `page` is grey, dark on light as a rule (a box that is
// not is turned): one line per box that holds text, in box order, with its words;
// boxes and words in source pixels (top-left origin). `ran` is false when no
// engine could be had.
struct LinesRead {
  bool ran = false;
  std::vector<EngineLine> lines;
  // The boxes of those of `lines` read from labels alone on buttons (`keys`
  // below): a keypad's keys make no table.
  std::vector<QRect> keys;
};
// Those of `boxes` also in `keys` hold a label alone on a button: a short
// label read well there is kept where it would be taken for chrome.
LinesRead readLines(const QImage& page, const std::vector<QRect>& boxes, const QString& key,
                    const LineReadConfig& config = {}, EnginePool& pool = EnginePool::shared(),
                    const std::vector<QRect>& keys = {});

// Boxes lower than this, half the typical box of `boxes`, hold no text
// anyone reads and are not read: the arrows of spin and combo boxes, grips
// and ticks (7 to 13 pixels high among lines of 20 to 30 in dialogs at
// 13 px), read as "Ww", "fal", "Cr" or a lone digit. 0 for fewer than four
// boxes, too few to tell what is typical.
int leastHeight(const std::vector<QRect>& boxes);

// Whether a line read from a detector box is interface chrome rather than
// text: a box with no letter or digit; a lone round shape ("O", "0", "©",
// "〇") in a square-ish box, as radio buttons and icons read; or two
// characters at most in a square-ish box not read very well (check boxes,
// arrows, icons); a row of title-bar buttons ("- O X"). A number read with
// fair confidence stays: a spin box's "1" is real.
bool isChrome(const EngineLine& line);

}  // namespace ocr
