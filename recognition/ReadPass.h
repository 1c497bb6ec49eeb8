#pragma once
#include <QImage>
#include <QString>

#include "recognition/EngineRun.h"
#include "recognition/Recognizer.h"

namespace ocr {

// One pass of the engine of `key` ("deu+eng") over the image, as
// Recognizer::read gives it for the languages that make that key: rows of
// lines, the table in the word rows, the character-weighted confidence.
Recognizer::Pass readPass(const QImage& image, const QString& key, const RunConfig& config = {},
                          EnginePool& pool = EnginePool::shared());

}  // namespace ocr
