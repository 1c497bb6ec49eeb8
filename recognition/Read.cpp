#include <algorithm>
#include <functional>
#include <future>
#include <iterator>
#include <numeric>

#include "recognition/lines/ButtonLabels.h"
#include "recognition/clean/CodeGaps.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/engines/EngineRun.h"
#include "recognition/words/FileModes.h"
#include "recognition/words/Indents.h"
#include "recognition/words/LetterInk.h"
#include "recognition/lines/LineRead.h"
#include "recognition/words/LineWords.h"
#include "recognition/lines/LoneInk.h"
#include "recognition/Panes.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/StrayMarks.h"
#include "recognition/lines/TextDetector.h"
#include "recognition/lines/UnderscoreSeams.h"
#include "recognition/words/WordEnds.h"

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

using ToSource = std::function<PixelRect(const QRect&)>;

std::vector<std::vector<Piece>> joined(std::vector<std::vector<std::vector<Piece>>> panes) {
  std::vector<std::vector<Piece>> rows;
  for (auto& pane : panes)
    for (auto& row : pane) rows.push_back(std::move(row));
  return rows;
}

// The pass of lines the engine read, their boxes turned into source pixels
// by `toSource`; the panes of `image` read one after the other, and a table
// found within one of them (the one of most rows), of the words on no
// button of `keys` (boxes of `lines`, in their pixels).
Recognizer::Pass passOf(std::vector<EngineLine>& lines, const ToSource& toSource, const QImage& image,
                        const std::vector<QRect>& keys = {}) {
  using namespace Recognizer;
  Pass pass;
  std::vector<Piece> linePieces;
  std::vector<Piece> wordPieces;
  double sum = 0;
  double total = 0;
  for (EngineLine& line : lines) {
    // A line the engine cannot place is not an observation.
    if (!line.box) continue;
    repairFileMode(line);
    const PixelRect lineBox = toSource(*line.box);
    linePieces.push_back({lineBox, line.text});
    const auto n = double(text::graphemeCount(line.text));
    sum += line.confidence * n;
    total += n;

    const EngineRanges ranges(line.text, line.words);
    auto boxOf = [&](qsizetype from, qsizetype to) -> std::optional<PixelRect> {
      const auto box = ranges.box(from, to);
      if (!box) return std::nullopt;
      return toSource(*box);
    };
    for (Piece& word : lineWords(line.text, lineBox, boxOf)) wordPieces.push_back(std::move(word));
  }
  pass.confidence = total > 0 ? sum / total : 0;
  const double height = image.height();
  const std::vector<QRect> dividers = partingDividers(linePieces, uprightDividersOf(image), height);
  pass.result.lines = joined(groupInPanes(std::move(linePieces), dividers, height));
  auto wordPanes = groupInPanes(std::move(wordPieces), dividers, height);
  std::vector<PixelRect> buttons;
  for (const QRect& k : keys) buttons.push_back(toSource(k));
  auto onButton = [&buttons](const Piece& w) {
    return std::any_of(buttons.begin(), buttons.end(), [&w](const PixelRect& b) {
      return w.rect.midX() >= b.minX() && w.rect.midX() <= b.maxX() && w.rect.midY() >= b.minY() && w.rect.midY() <= b.maxY();
    });
  };
  for (auto pane : wordPanes) {
    if (!buttons.empty())
      for (auto& row : pane) std::erase_if(row, onButton);
    std::erase_if(pane, [](const std::vector<Piece>& row) { return row.empty(); });
    std::optional<Table> table = detectTable(pane);
    if (table && (!pass.result.table || table->rows.size() > pass.result.table->rows.size())) pass.result.table = std::move(table);
  }
  pass.result.words = joined(std::move(wordPanes));
  indentCode(pass.result.lines, pass.result.words, image);
  return pass;
}

}  // namespace

LineBoxes findLines(const QImage& image) { return findLines(image, TextDetector::shared()); }

LineBoxes findLines(const QImage& image, TextDetector& detector) {
  if (!detectorRoad() || image.isNull()) return std::nullopt;
  // The page is cleaned while the network runs.
  std::future<Page> cleaned = std::async(std::launch::async, [&image] { return page(image); });
  // The detector misses lone narrow digits light on a dark field that it
  // finds dark on light: a light-on-dark image is turned first.
  QImage input = image;
  if (measure(grey(image)).lightOnDark) {
    input = image.convertToFormat(QImage::Format_RGB32);
    input.invertPixels();
  }
  auto boxes = detector.detect(input);
  Page seen = cleaned.get();
  if (!boxes) return std::nullopt;
  joinAtUnderscores(*boxes, seen.grey, seen.ground, seen.measured.inkThreshold);
  // Lone narrow characters the detector left out, or boxed too small to be read.
  std::vector<QRect> read;
  const int least = leastHeight(*boxes);
  std::copy_if(boxes->begin(), boxes->end(), std::back_inserter(read), [least](const QRect& b) { return b.height() >= least; });
  const double lineHeight = seen.measured.lineHeight;
  std::vector<QRect> more = loneInkBoxes(seen.grey, seen.ground, seen.measured.inkThreshold, lineHeight, read);
  // Short labels on buttons: those boxed, and the flat signs no box holds.
  // A page of buttons measures its lines as high as their frames: the
  // detector's boxes, grown about 0.3 of their ink's height either way, tell
  // the text's height then.
  const double labelHeight = read.size() >= 4 ? std::min(lineHeight, 2 * leastHeight(read) / 1.6) : lineHeight;
  std::vector<QRect> keys, marks;
  read.insert(read.end(), more.begin(), more.end());
  for (const QRect& b : read) {
    if (b.width() > 4 * labelHeight || b.height() > 2.5 * labelHeight) continue;
    const OnButton on = onButtonFace(input, b, labelHeight);
    if (on == OnButton::Label) keys.push_back(b);
    if (on == OnButton::Mark) marks.push_back(b);
  }
  // An arrow alone on a button, a tick in its box, is no text, whatever it reads as.
  const auto mark = [&marks](const QRect& b) { return std::find(marks.begin(), marks.end(), b) != marks.end(); };
  std::erase_if(*boxes, mark);
  std::erase_if(read, mark);
  std::erase_if(more, mark);
  for (const QRect& b : buttonLabelBoxes(input, seen.grey, seen.ground, seen.measured.inkThreshold, labelHeight, read)) {
    // A box too low to be read on the label goes: with the label's box it
    // would be read after all, as a second copy.
    std::erase_if(*boxes, [&b](const QRect& low) { return low.intersects(b); });
    more.push_back(b);
    keys.push_back(b);
  }
  restoreLabels(seen.grey, seen.ground, input, keys);
  if (!more.empty()) {
    boxes->insert(boxes->end(), more.begin(), more.end());
    std::sort(boxes->begin(), boxes->end(), [](const QRect& a, const QRect& b) {
      return a.top() != b.top() ? a.top() < b.top() : a.left() < b.left();
    });
  }
  return FoundLines{std::move(*boxes), std::move(seen.grey), std::move(keys)};
}

FoundLines sample(const FoundLines& lines, double ems) {
  std::vector<size_t> order(lines.boxes.size());
  std::iota(order.begin(), order.end(), size_t(0));
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return lengthInHeights(lines.boxes[a]) > lengthInHeights(lines.boxes[b]); });
  double held = 0;
  size_t n = 0;
  while (n < order.size() && held < ems) held += lengthInHeights(lines.boxes[order[n++]]);
  order.resize(n);
  std::sort(order.begin(), order.end());
  FoundLines out{{}, lines.page, lines.keys};
  // A line longer than that is cut to its first `ems` heights: with a page's
  // 40-em lines each of seven previews read nearly twice what it needs.
  for (size_t i : order) {
    QRect box = lines.boxes[i];
    if (lengthInHeights(box) > ems) box.setWidth(std::max(1, int(ems * box.height())));
    out.boxes.push_back(box);
  }
  return out;
}

Recognizer::Pass readPass(const QImage& image, const QString& key, const RunConfig& config, EnginePool& pool) {
  return readPass(image, key, findLines(image), config, pool);
}

Recognizer::Pass readPass(const QImage& image, const QString& key, const LineBoxes& boxes, const RunConfig& config,
                          EnginePool& pool) {
  if (boxes) {
    LinesRead seen = readLines(boxes->page, boxes->boxes, key, {}, pool, boxes->keys);
    if (!seen.ran) return {};
    const double height = image.height();
    return passOf(seen.lines, [height](const QRect& r) {
      return PixelRect::fromTopLeft(r.x(), r.y(), r.width(), r.height(), height);
    }, image, seen.keys);
  }
  EngineResult seen = run(image, key, config, pool);
  if (!seen.ran) return {};
  for (EngineLine& line : seen.lines) {
    if (!line.box) continue;
    endWordsAtInk(line, seen.prepared.image, seen.prepared.ground);
    lettersByTheirInk(line, seen.prepared.image, seen.prepared.ground);
    closeCodeGaps(line, seen.prepared.image, seen.prepared.ground);
    dropStrayMarks(line);
  }
  return passOf(seen.lines, [&](const QRect& box) {
    return seen.prepared.toSource(box.x(), box.y(), box.x() + box.width(), box.y() + box.height());
  }, image);
}

}  // namespace ocr
