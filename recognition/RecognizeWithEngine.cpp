#include "recognition/Recognizer.h"

// Kept apart from the decision road so that the road links without the engine.
namespace Recognizer {

Recognized recognize(const QImage& image, const QStringList& prefer, bool fallback) {
  return recognize(image, prefer, fallback, [](const QImage& img, const QStringList& languages) {
    return read(img, languages, false);
  });
}

}  // namespace Recognizer
