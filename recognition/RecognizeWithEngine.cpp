#include <malloc.h>

#include <QThreadPool>
#include <mutex>

#include "recognition/engines/EnginePool.h"
#include "recognition/engines/EngineRun.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextBoxes.h"
#include "recognition/lines/TextLike.h"

// Kept apart from the decision road so that the road links without the engine.
namespace Recognizer {

namespace {
// The text a second chance's candidate previews: a line or two of a page
// (about 24 characters of Hangul or Han).
constexpr double kPreviewEms = 24;
// The part of a page that the candidates still kept after their previews
// are compared on: about four lines of a page. On Chinese pages in either
// script, of 700 x 450 to 1600 x 1000 and read with an English interface,
// the choice made on it was the one the whole reads made in 18 cases of 18
// (on the previews, 17; on half of it, 17). A page holding less than twice
// as much is read whole in every candidate: comparing on a part saves
// nothing there.
constexpr double kDuelEms = 96;

// The engines previews read on (one per candidate, and those their Latin
// runs are read again with), let go after each recognition. Kept apart from
// the shared pool, whose limits would otherwise make room for them by
// evicting the engines of the user's own languages.
EnginePool& previewPool() {
  static EnginePool* pool = new EnginePool(OCRLanguages::tessdataDir(), EnginePool::Limits{1, 16});
  return *pool;
}

// Engines kept of a second chance's answer, in a script the first pass did
// not read: reading alone, the answer's pass starts up to seven, and seven
// Chinese engines held 300 MB more than two for a script the user seldom
// reads; the next capture in it starts the others beside the two.
constexpr int kKeptOfAnotherScript = 2;

// Lets go of the preview engines, of the engines of `losers` and of those
// of `answer` beyond kKeptOfAnotherScript, and hands what they held back to
// the system: on the global pool, off the caller's way (a hundred
// milliseconds and more after a second chance); here and now once that pool
// is gone, at the very end of the process.
void letGo(std::vector<QString> losers, QString answer, bool previewed) {
  auto work = [losers = std::move(losers), answer = std::move(answer), previewed] {
    int dropped = 0;
    if (previewed) previewPool().clear();
    for (const QString& key : losers) dropped += EnginePool::shared().drop(key);
    if (!answer.isEmpty()) dropped += EnginePool::shared().drop(answer, kKeptOfAnotherScript);
    if (dropped > 0 || previewed) malloc_trim(0);
  };
  if (QThreadPool* threads = QThreadPool::globalInstance())
    threads->start(std::move(work));
  else
    work();
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
  // A reader of the lines of `ems` heights that `ocr::sample` picks, on the
  // preview pool.
  auto partOf = [&](double ems) {
    return [&, lines = ocr::LineBoxes(ocr::sample(*boxes, ems))](const QImage& img, const QStringList& languages) {
      {
        std::lock_guard lock(mutex);
        previewed = true;
      }
      return ocr::readPass(img, pool.keyFor(languages), lines, ocr::RunConfig{}, previewPool());
    };
  };
  Reader preview;
  if (boxes) preview = partOf(kPreviewEms);
  // A duel reads on the preview pool, where each candidate's engine is warm
  // from its preview: in the shared pool the loser's engines started cold,
  // and its part took twice the winner's time.
  Reader duel;
  if (boxes && ocr::lengthInHeights(boxes->boxes) > 2 * kDuelEms) duel = partOf(kDuelEms);
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
  }, 0, preview, duel);
  if (read.empty() || (read.size() <= 1 && !previewed)) return answer;
  const QString first = read.front().first;
  const QString text = answer.text();
  QString kept;
  for (const auto& [key, t] : read)
    if (t == text && kept.isEmpty()) kept = key;
  std::vector<QString> losers;
  for (const auto& [key, t] : read)
    if (key != first && key != kept) losers.push_back(key);
  // A Latin re-read is the first pass's script: its engines stay as they are.
  const bool anotherScript = kept != first && !kept.isEmpty() && !ocr::latinFirst(kept);
  letGo(std::move(losers), anotherScript ? kept : QString(), previewed);
  return answer;
}

}  // namespace Recognizer
