#include "recognition/EnginePool.h"
#include "recognition/EngineRun.h"
#include "recognition/LineWords.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/StrayMarks.h"

namespace Recognizer {

// The engine has no language detection of its own: `autoDetect` is accepted
// for the callers' sake and changes nothing (every caller passes false).
Pass read(const QImage& image, const QStringList& languages, bool /*autoDetect*/) {
  EnginePool& pool = EnginePool::shared();
  return ocr::readPass(image, pool.keyFor(languages), ocr::RunConfig{}, pool);
}

}  // namespace Recognizer

namespace ocr {

namespace {

PixelRect toSource(const Prepared& prepared, const QRect& box) {
  return prepared.toSource(box.x(), box.y(), box.x() + box.width(), box.y() + box.height());
}

}  // namespace

Recognizer::Pass readPass(const QImage& image, const QString& key, const RunConfig& config, EnginePool& pool) {
  using namespace Recognizer;
  Pass pass;
  EngineResult seen = run(image, key, config, pool);
  if (!seen.ran) return pass;

  std::vector<Piece> linePieces;
  std::vector<Piece> wordPieces;
  double sum = 0;
  double total = 0;
  for (EngineLine& line : seen.lines) {
    // A line the engine cannot place is not an observation.
    if (!line.box) continue;
    dropStrayMarks(line);
    const PixelRect lineBox = toSource(seen.prepared, *line.box);
    linePieces.push_back({lineBox, line.text});
    const auto n = double(text::graphemeCount(line.text));
    sum += line.confidence * n;
    total += n;

    const EngineRanges ranges(line.text, line.words);
    auto boxOf = [&](qsizetype from, qsizetype to) -> std::optional<PixelRect> {
      const auto box = ranges.box(from, to);
      if (!box) return std::nullopt;
      return toSource(seen.prepared, *box);
    };
    for (Piece& word : lineWords(line.text, lineBox, boxOf)) wordPieces.push_back(std::move(word));
  }
  pass.confidence = total > 0 ? sum / total : 0;
  pass.result.lines = group(std::move(linePieces));
  pass.result.words = group(std::move(wordPieces));
  pass.result.table = detectTable(pass.result.words);
  return pass;
}

}  // namespace ocr
