#include <malloc.h>

#include <QThreadPool>

#include "recognition/engines/EnginePool.h"
#include "recognition/engines/EngineRun.h"
#include "recognition/engines/HugePages.h"
#include "recognition/words/LatinRuns.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"

namespace Recognizer {

// Synchronous: the launch runs it on a background thread. Only the engine of
// the first pass with the user's default languages is started (the common
// capture needs nothing else); starting every script's engine as well would
// cost seconds of CPU and hundreds of megabytes for passes that rarely run.
void warmUp() {
  QImage white(64, 32, QImage::Format_ARGB32_Premultiplied);
  if (white.isNull()) return;
  white.fill(Qt::white);

  // The quick code pass, so that the code reader's tables are built too.
  (void)codes(white, false, 0);

  const QStringList languages = firstPassLanguages(OCRLanguages::primary(std::nullopt));
  EnginePool& pool = EnginePool::shared();
  // Two, as a small capture uses side by side; a large one starts more.
  pool.fill(pool.keyFor(languages), kWarmEngines);
  (void)read(white, languages, false);
}

void coolDown(const QStringList& prefer, int engines) {
  EnginePool& pool = EnginePool::shared();
  pool.keepOnly(pool.keyFor(firstPassLanguages(prefer)), engines);
  ocr::releaseFreedMappings();
  // The engines' models and pages were spread over the heaps of the threads
  // that started and ran them; what they leave is free but resident until
  // the heaps are trimmed.
  malloc_trim(0);
}

void startFirstPass(const QStringList& prefer) {
  EnginePool& pool = EnginePool::shared();
  const QString key = pool.keyFor(firstPassLanguages(prefer));
  // Side by side: a small capture reads in two bands. The global pool is
  // joined when the application object goes, so no start outlives the
  // engines' libraries.
  for (int i = 0; i < 2; ++i) QThreadPool::globalInstance()->start([key, &pool] { pool.add(key); });
  // The line finder's network loads beside them.
  if (ocr::detectorRoad()) QThreadPool::globalInstance()->start([] { (void)ocr::TextDetector::shared().available(); });
  // A dialog's file names are read again with an English engine where the
  // first model writes another script (LatinRuns.h): started here, it is up
  // when the first of them comes (Arabic, Korean, Japanese and Chinese print
  // dialogs read cold: 0.06-0.1 s sooner). Queued last: the lines are found
  // before any of them is read.
  if (ocr::readsLatinRunsApart(key))
    QThreadPool::globalInstance()->start([&pool] { pool.add(ocr::latinRunsKey()); });
}

}  // namespace Recognizer
