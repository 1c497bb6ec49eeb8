#pragma once
#include <QImage>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "recognition/base/Result.h"
#include "recognition/engines/SideBySide.h"

// Turns a picked image into a Recognized: the accurate text path, its word
// boxes, reading-order rows, tables, and barcodes and QR codes. Every function
// is synchronous and runs on the caller's thread; none throws.
namespace Recognizer {

// One recognition pass: the lines (and table) and the character-weighted mean
// confidence of the pass, 0 to 1.
struct Pass {
  Recognized result;
  double confidence = 0;
};

// One pass of the text engine over the image with the given recognition codes
// (in order; earlier codes take precedence).
Pass read(const QImage& image, const QStringList& languages, bool autoDetect = false);

// The pass reader that recognize() calls; tests put a scripted one in its
// place. It may be called from several threads at once.
using Reader = std::function<Pass(const QImage&, const QStringList&)>;

// The whole accurate road: first pass, language detection, and the re-reads
// that pay off. The second chance's passes are read side by side, at most
// `parallel` at once (0: one fewer than the machine has cores).
Recognized recognize(const QImage& image, const QStringList& prefer, bool fallback);
//
// With a `preview` (a reader of a small part of the image), the second
// chance first previews every candidate side by side and reads whole only
// those whose preview scores near the best preview's: in a script not the
// page's, most models read for seconds to no purpose. The same previews
// check a Latin re-read: where one of them reads its own script clearly, the
// text is not in the Latin language the first pass seemed to be in, and the
// road goes on to the second chance. With a `duel` too (a reader of a larger
// part), the candidates still kept after the previews are read in that part;
// where the walk over that part and the walk over the previews choose the
// same candidate, only it is read whole, else every one of them is. A
// candidate's pass in its own script takes the lead only where it reads as
// words of its language (ScriptWords.h), never by letters alone.
Recognized recognize(const QImage& image, const QStringList& prefer, bool fallback, const Reader& reader,
                     int parallel = 0, const Reader& preview = {}, const Reader& duel = {});

// The languages the road's first pass reads with: the supported preferred
// codes, English behind them when none is a Latin one; the Latin codes when
// none is preferred; never empty.
QStringList firstPassLanguages(const QStringList& prefer);

// Reading-order rows of pieces: top to bottom, each row left to right.
std::vector<std::vector<Piece>> group(std::vector<Piece> pieces);

// The quality of a pass: letters of its text times its confidence.
double score(const Pass& pass);

// A table found in the word rows by the column gaps between words, or none.
std::optional<Table> detectTable(const std::vector<std::vector<Piece>>& rows);

// Barcodes and QR codes, deduplicated and ordered top to bottom. With
// `thorough` the image's filtered variants are tried too, within `budget`
// seconds (checked before each variant).
std::vector<Code> codes(const QImage& image, bool thorough, double budget);

// The text result with the codes in front of it.
Recognized merge(const Recognized& result, const std::vector<Code>& codes);

// The image with the codes' areas (and a margin) painted in its ground, so
// that a reader without geometry (the fast path) reads none of their modules.
QImage withoutCodes(const QImage& image, const std::vector<Code>& codes);

// Fills the engine pool and loads the code reader so that the first capture
// pays no start-up; discards every result. Blocks for up to a second or so:
// run it on a background thread.
void warmUp();

// The engines a capture with the default languages finds warm: the two a
// small capture reads side by side with.
inline constexpr int kWarmEngines = 2;

// Lets go, once captures have stopped coming, of what only a large capture
// needed: the idle engines but the `engines` of a first pass for `prefer`
// most recently used, the freed mappings kept for the line finder, and the
// heap's free pages. Safe while a capture runs (it starts what it lacks).
void coolDown(const QStringList& prefer, int engines = kWarmEngines);

// Starts the engines that a first pass for `prefer` reads with, and the line
// finder, on background threads, and returns at once: for a one-off read whose image is
// still being loaded.
void startFirstPass(const QStringList& prefer);

}  // namespace Recognizer
