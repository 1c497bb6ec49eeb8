#pragma once
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

// What a text engine read, line by line, in the prepared image's pixels: the
// type the engine runs produce and the stages below them repair.
namespace ocr {

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

}  // namespace ocr
