#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "recognition/base/EngineLine.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/clean/Prepare.h"

// One run of a pooled text engine over a prepared image: what the engine saw,
// line by line, in the prepared image's pixels. The accurate reader and the
// fast path both build on it.
namespace ocr {

struct RunConfig {
  PrepareOptions prepare;
  // Tesseract's page segmentation mode. 6, one uniform block, reads screen
  // text best: its full layout analysis (3) drops table columns and whole
  // lines of Chinese, Japanese and Arabic as pictures, and sparse text (11)
  // cuts rows into cells that lose their language context.
  int pageSegMode = 6;
  // Word texts and boxes as well as lines.
  bool words = true;
  // Engines that may read bands of the image side by side. A small capture
  // takes a second engine only when one is idle already (the warm-ups start
  // two): two read a four-line crop in about half the time of one. A large
  // one gets a band per `linesPerBand` lines, up to `maxEngines`, and starts
  // the engines it lacks unless it runs side by side with other reads
  // (SideBySide.h; a 1600 x 1000 page: 1.5 s with two engines, 0.8 s with four). Bands of fewer lines lose
  // context the engine needs (Arabic errors over the sample set: 2.5 % with
  // one engine, 3.9 % two, 7.1 % four, on images of five lines).
  int maxEngines = 4;
  int linesPerBand = 8;
  bool startEngines = true;
  // The bands a read must have before it starts the engines it lacks; fewer
  // take the idle ones only.
  int startFromBands = 2;
  // How much text one engine call reads at most, as lines times the prepared
  // image's width (16 lines of a 4K screen's width): a larger image is cut
  // into more bands than there are engines, and each engine reads several in
  // turn. The engine's walk over its results takes time in the square of the
  // words of one call: a full 8K screen of 12 px text in four bands of 12,000
  // words took 597 s, in bands of 16 lines 125 s with the same text. Pages
  // of ordinary size stay whole: fewer lines per call cost context (a Korean
  // page's second-chance read in two calls: 5.2 % errors against 4.8 %).
  double maxLinePixelsPerCall = 16 * 7000;
};

struct EngineResult {
  bool ran = false;  // false: no image, no engine, or the engine failed
  Prepared prepared;
  std::vector<EngineLine> lines;  // in the engine's order
};

// The lines (and, with `words`, their words) of the engine's last recognition.
std::vector<EngineLine> collect(tesseract::TessBaseAPI& api, bool words);

// The engine's recognition of `image` (8-bit grey) in page segmentation
// mode `mode`; false when the engine failed, which discards it.
bool recognizeGrey(EnginePool::Lease& engine, const QImage& image, int mode);

// Whether the first model of `key` ("deu+eng") is that of one of
// `languages` (codes such as "de-DE").
bool firstReadsOneOf(const QString& key, const QStringList& languages);

// Whether the first model of `key` reads a Latin language.
bool latinFirst(const QString& key);

// The line height an image is prepared to for the script of the first model
// of `key`.
double lineHeightFor(const QString& key, const PrepareOptions& options);

// Reads `image` with an engine of `key` ("deu+eng") from `pool`, prepared
// for the script of its first model.
EngineResult run(const QImage& image, const QString& key, const RunConfig& config = {},
                 EnginePool& pool = EnginePool::shared());

// The same on an image prepared already.
EngineResult run(Prepared prepared, const QString& key, const RunConfig& config, EnginePool& pool);

}  // namespace ocr
