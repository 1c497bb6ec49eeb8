#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "recognition/EnginePool.h"
#include "recognition/Prepare.h"

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
  // Engines that may read bands of the image side by side. Only the first is
  // started when missing; the others are used when they are idle already
  // (the warm-ups start them). Two read a four-line crop in about half the
  // time of one, for one more engine's memory (85 MB with the Latin models);
  // beyond two, bands lose context the engine needs (Arabic errors over the
  // sample set: 2.5 % with one engine, 3.9 % two, 7.1 % four).
  int maxEngines = 2;
};

struct EngineWord {
  QString text;
  std::optional<QRect> box;  // prepared pixels, top-left origin
};

struct EngineLine {
  QString text;       // the line as the engine reads it, without its trailing newlines
  double confidence;  // 0 to 1
  std::optional<QRect> box;
  std::vector<EngineWord> words;  // in reading order
};

struct EngineResult {
  bool ran = false;  // false: no image, no engine, or the engine failed
  Prepared prepared;
  std::vector<EngineLine> lines;  // in the engine's order
};

// Reads `image` with an engine of `key` ("deu+eng") from `pool`.
EngineResult run(const QImage& image, const QString& key, const RunConfig& config = {},
                 EnginePool& pool = EnginePool::shared());

// The same on an image prepared already.
EngineResult run(Prepared prepared, const QString& key, const RunConfig& config, EnginePool& pool);

}  // namespace ocr
