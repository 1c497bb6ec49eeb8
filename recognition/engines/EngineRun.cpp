#include "recognition/engines/EngineRun.h"

#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>

#include "recognition/engines/Bands.h"
#include "recognition/engines/BidiOrder.h"
#include "recognition/engines/Guarded.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/engines/SideBySide.h"
#include "recognition/engines/Stop.h"

namespace ocr {

namespace {

using tesseract::PageIteratorLevel;

// The engine marks the runs of a right-to-left line with U+200E and U+200F;
// what we hand on is plain text.
QString utf8(const tesseract::ResultIterator& it, PageIteratorLevel level) {
  std::unique_ptr<char[]> text(it.GetUTF8Text(level));
  return text ? text::withoutBidiControls(QString::fromUtf8(text.get())) : QString();
}

std::optional<QRect> box(const tesseract::ResultIterator& it, PageIteratorLevel level) {
  int left = 0, top = 0, right = 0, bottom = 0;
  if (!it.BoundingBox(level, &left, &top, &right, &bottom) || right <= left || bottom <= top) return std::nullopt;
  return QRect(left, top, right - left, bottom - top);
}

// The line as the engine gives it, without the "\n" that ends every line
// (two after a paragraph's last) and with one space for every gap: the
// Chinese and Japanese models keep a wide gap's width as a run of spaces.
QString lineText(QString s) {
  qsizetype end = s.size();
  while (end > 0 && (s[end - 1] == QLatin1Char('\n') || s[end - 1] == QLatin1Char('\r'))) --end;
  s.truncate(end);
  static const QRegularExpression spaces(QStringLiteral(" {2,}"));
  return s.replace(spaces, QStringLiteral(" "));
}

}  // namespace

bool recognizeGrey(EnginePool::Lease& engine, const QImage& image, int mode) {
  engine->SetPageSegMode(tesseract::PageSegMode(mode));
  // Rows of a QImage are padded to 4 bytes: the stride is bytesPerLine, not the width.
  engine->SetImage(image.constBits(), image.width(), image.height(), 1, int(image.bytesPerLine()));
  if (engine->Recognize(nullptr) == 0) return true;
  engine.discard();
  return false;
}

std::vector<EngineLine> collect(tesseract::TessBaseAPI& api, bool words) {
  std::vector<EngineLine> lines;
  std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
  if (!it) return lines;
  // One walk in the iterator's reading order, opening a line at each line's
  // first element, so that words and lines cannot get out of step.
  const PageIteratorLevel step = words ? tesseract::RIL_WORD : tesseract::RIL_TEXTLINE;
  bool first = true;
  bool open = false;  // the current line is kept
  it->Begin();
  do {
    if (first || it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
      first = false;
      open = !it->Empty(tesseract::RIL_TEXTLINE);
      if (!open) continue;
      EngineLine line;
      line.text = lineText(utf8(*it, tesseract::RIL_TEXTLINE));
      line.confidence = std::clamp(double(it->Confidence(tesseract::RIL_TEXTLINE)) / 100.0, 0.0, 1.0);
      line.box = box(*it, tesseract::RIL_TEXTLINE);
      lines.push_back(std::move(line));
    }
    if (words && open && !it->Empty(tesseract::RIL_WORD))
      lines.back().words.push_back({utf8(*it, tesseract::RIL_WORD), box(*it, tesseract::RIL_WORD)});
  } while (it->Next(step));
  return lines;
}

namespace {

// The width of the lines that all engines of one read hold at once, in
// prepared pixels.
constexpr double kLineWidthBudget = 64000;

struct BandResult {
  bool ran = false;
  std::vector<EngineLine> lines;
};

BandResult readBand(EnginePool::Lease& engine, const QImage& img, const RunConfig& config) {
  BandResult out;
  if (img.isNull()) return out;
  engine->SetPageSegMode(tesseract::PageSegMode(config.pageSegMode));
  // Rows of a QImage are padded to 4 bytes: the stride is bytesPerLine, not the width.
  engine->SetImage(img.constBits(), img.width(), img.height(), 1, int(img.bytesPerLine()));
  // The engine asks after every word whether to go on.
  const Recognizer::StopFlag stop = Recognizer::currentStop();
  tesseract::ETEXT_DESC monitor;
  if (stop) {
    monitor.cancel = [](void* flag, int) { return static_cast<std::atomic<bool>*>(flag)->load(std::memory_order_relaxed); };
    monitor.cancel_this = stop.get();
  }
  if (engine->Recognize(stop ? &monitor : nullptr) != 0) {
    // Whatever state a failed engine is left in, it is not worth keeping; a
    // stopped one starts afresh with its next image.
    if (!Recognizer::stopRequested()) engine.discard();
    return out;
  }
  out.lines = collect(*engine.get(), config.words);
  out.ran = true;
  return out;
}

}  // namespace

bool firstReadsOneOf(const QString& key, const QStringList& languages) {
  const QString first = key.section(QLatin1Char('+'), 0, 0);
  return std::any_of(languages.begin(), languages.end(),
                     [&](const QString& code) { return OCRLanguages::traineddata(code) == first; });
}

bool latinFirst(const QString& key) { return firstReadsOneOf(key, OCRLanguages::latin()); }

double lineHeightFor(const QString& key, const PrepareOptions& options) {
  if (latinFirst(key)) return options.latinLineHeight;
  const QString first = key.section(QLatin1Char('+'), 0, 0);
  for (const char* code : {"ru-RU", "uk-UA"})
    if (OCRLanguages::traineddata(QLatin1String(code)) == first) return options.cyrillicLineHeight;
  return options.lineHeight;
}

EngineResult run(const QImage& image, const QString& key, const RunConfig& config, EnginePool& pool) {
  // A stopped recognition prepares no image either (the fast path's fallback).
  if (image.isNull() || key.isEmpty() || Recognizer::stopRequested()) return {};
  PrepareOptions options = config.prepare;
  options.lineHeight = lineHeightFor(key, options);
  return Recognizer::guarded("text engine", [&] { return run(prepare(image, options), key, config, pool); });
}

EngineResult run(Prepared prepared, const QString& key, const RunConfig& config, EnginePool& pool) {
  EngineResult result;
  if (prepared.isNull() || key.isEmpty()) return result;
  std::vector<EnginePool::Lease> engines;
  engines.push_back(pool.acquire(key));
  if (!engines.front()) return result;
  const int lines = int(lineSpans(prepared).size());
  const int large = lines / std::max(1, config.linesPerBand);
  // A capture of many times that many bands (a 4K or 8K screen of text) takes
  // every core but one: its bands are long enough to keep their context. An
  // engine holds its network's state for a whole line's width (about 100 MB
  // for a line across two 8K screens), so wider images take fewer.
  const int byWidth = int(kLineWidthBudget / std::max(1, prepared.image.width()));
  const int most = large >= 2 * config.maxEngines
                       ? std::max(config.maxEngines, std::min(Recognizer::defaultParallel(), byWidth))
                       : config.maxEngines;
  const int wanted = std::min(most, std::max(std::min(2, lines), large));
  while (int(engines.size()) < wanted) {
    EnginePool::Lease more = pool.acquireIdle(key);
    if (!more) break;
    engines.push_back(std::move(more));
  }
  const bool start = config.startEngines && large >= std::max(2, config.startFromBands) && !readingSideBySide();
  const int count = start ? wanted : int(engines.size());
  const double text = double(lines) * prepared.image.width();
  const int calls = int(std::ceil(text / std::max(1.0, config.maxLinePixelsPerCall)));
  // Every engine gets as many bands as the others, so that none reads one
  // more while the rest wait.
  const int rounds = (std::max(count, calls) + count - 1) / std::max(1, count);
  const std::vector<Band> parts = bands(prepared, rounds * count);
  const size_t workers = std::min(size_t(count), parts.size());
  if (engines.size() > workers) engines.resize(workers);  // the ones not needed go back at once

  std::vector<BandResult> read(parts.size());
  if (parts.size() == 1) {
    read[0] = readBand(engines[0], prepared.image, config);
  } else {
    // Each engine reads every `workers`-th band: the first on this thread,
    // the others each on a thread of its own, which starts its engine when
    // there was no idle one; all are joined before returning.
    std::vector<QImage> images;
    for (const Band& band : parts) images.push_back(bandImage(prepared, band, prepared.pad));
    engines.resize(workers);
    auto work = [&](size_t w) {
      if (!engines[w]) engines[w] = pool.acquire(key);
      for (size_t i = w; i < parts.size() && engines[w]; i += workers) read[i] = readBand(engines[w], images[i], config);
    };
    std::vector<std::future<void>> others;
    for (size_t w = 1; w < workers; ++w)
      others.push_back(std::async(std::launch::async, Recognizer::carryingStop([&work, w] { work(w); })));
    work(0);
    for (std::future<void>& other : others) other.get();
  }

  for (size_t i = 0; i < parts.size(); ++i) {
    if (!read[i].ran) continue;
    result.ran = true;
    // Back from the band's own image to the whole prepared image.
    const int shift = parts.size() == 1 ? 0 : parts[i].top - prepared.pad;
    for (EngineLine& line : read[i].lines) {
      if (line.box) line.box->translate(0, shift);
      for (EngineWord& word : line.words)
        if (word.box) word.box->translate(0, shift);
      putInReadingOrder(line);
      result.lines.push_back(std::move(line));
    }
  }
  result.prepared = std::move(prepared);
  return result;
}

}  // namespace ocr
