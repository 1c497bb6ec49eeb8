#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "recognition/engines/EngineRun.h"
#include "recognition/Recognizer.h"

namespace ocr {

class TextDetector;

// The lines a recognition reads, found once and shared by all its passes:
// the detector's boxes (source pixels, top-left origin) and the page they are
// read from (grey, dark on light, cleaned of widget chrome, at the source's
// size). None when the detector is switched off or has no model: the engine's
// own layout analysis finds the lines then.
struct FoundLines {
  std::vector<QRect> boxes;
  QImage page;
  std::vector<QRect> keys;  // those of `boxes` that hold a label alone on a button (ButtonLabels.h)
};
using LineBoxes = std::optional<FoundLines>;
LineBoxes findLines(const QImage& image);
LineBoxes findLines(const QImage& image, TextDetector& detector);

// A few of the lines, enough to tell which model suits the page: the
// longest (width over height, about the characters they hold) first, until
// they hold about `ems` together; in their first order. A line longer than
// `ems` is cut to its first `ems`.
FoundLines sample(const FoundLines& lines, double ems);

// One pass of the engine of `key` ("deu+eng") over the image, as
// Recognizer::read gives it for the languages that make that key: rows of
// lines, the table in the word rows, the character-weighted confidence. With
// boxes, each box is read as one line; without, the whole prepared image.
Recognizer::Pass readPass(const QImage& image, const QString& key, const LineBoxes& boxes,
                          const RunConfig& config = {}, EnginePool& pool = EnginePool::shared());

// The same, finding the lines first.
Recognizer::Pass readPass(const QImage& image, const QString& key, const RunConfig& config = {},
                          EnginePool& pool = EnginePool::shared());

}  // namespace ocr
