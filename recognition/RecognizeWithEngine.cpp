#include <malloc.h>

#include <mutex>

#include "recognition/EnginePool.h"
#include "recognition/OCRLanguages.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/TextLike.h"

// Kept apart from the decision road so that the road links without the engine.
namespace Recognizer {

namespace {
// The text a second chance's candidate previews: a line or two of a page
// (about 24 characters of Hangul or Han).
constexpr double kPreviewEms = 24;

// The engines previews read on (one per candidate, and those their Latin
// runs are read again with), let go after each recognition. Kept apart from
// the shared pool, whose limits would otherwise make room for them by
// evicting the engines of the user's own languages.
EnginePool& previewPool() {
  static EnginePool* pool = new EnginePool(OCRLanguages::tessdataDir(), EnginePool::Limits{1, 16});
  return *pool;
}
}  // namespace

// The engines of the passes that lost are let go afterwards: a second chance
// starts up to seven of them (260 MB together) for a capture in a script the
// user seldom reads. The first pass's engines stay, and so do the engines of
// the pass that gave the answer: the next capture is likely in that script too.
//
// The lines are found once, and every pass reads the same boxes with its own
// languages. A large image is read only where something looks like text:
// noise and photographs cost the engine minutes of junk otherwise.
Recognized recognize(const QImage& whole, const QStringList& prefer, bool fallback) {
  const QImage image = ocr::textLikeOnlyGuarded(whole);
  if (image.isNull()) return {};
  EnginePool& pool = EnginePool::shared();
  const ocr::LineBoxes boxes = ocr::findLines(image);
  // No line found: no pass has anything to read, in any language (a blank
  // capture or a code alone started every script's engine for nothing).
  if (boxes && boxes->boxes.empty()) return {};
  std::mutex mutex;
  std::vector<std::pair<QString, QString>> read;  // engine key, text, in the order the passes started
  bool previewed = false;
  Reader preview;
  if (boxes) {
    preview = [&, lines = ocr::LineBoxes(ocr::sample(*boxes, kPreviewEms))](const QImage& img,
                                                                           const QStringList& languages) {
      {
        std::lock_guard lock(mutex);
        previewed = true;
      }
      return ocr::readPass(img, pool.keyFor(languages), lines, ocr::RunConfig{}, previewPool());
    };
  }
  const Recognized answer = recognize(image, prefer, fallback, [&](const QImage& img, const QStringList& languages) {
    const QString key = pool.keyFor(languages);
    {
      std::lock_guard lock(mutex);
      read.emplace_back(key, QString());
    }
    Pass pass = ocr::readPass(img, key, boxes, ocr::RunConfig{}, pool);
    std::lock_guard lock(mutex);
    for (auto& [k, text] : read)
      if (k == key) text = pass.result.text();
    return pass;
  }, 0, preview);
  if (previewed) previewPool().clear();
  if (read.empty() || (read.size() <= 1 && !previewed)) return answer;
  const QString first = read.front().first;
  const QString text = answer.text();
  QString kept;
  for (const auto& [key, t] : read)
    if (t == text && kept.isEmpty()) kept = key;
  int dropped = 0;
  for (const auto& [key, t] : read)
    if (key != first && key != kept) dropped += pool.drop(key);
  // Hand what the engines held back to the system.
  if (dropped > 0 || previewed) malloc_trim(0);
  return answer;
}

}  // namespace Recognizer
