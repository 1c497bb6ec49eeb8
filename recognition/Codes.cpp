#include <QPainter>
#include <QHash>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <future>
#include <memory>

#include "recognition/codes/CodeDetect.h"
#include "recognition/codes/CodeSearch.h"
#include "recognition/codes/CodeSource.h"
#include "recognition/codes/CodeVariants.h"
#include "recognition/engines/Guarded.h"
#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"
#include "recognition/engines/Stop.h"

namespace Recognizer {

namespace {

// Variants rendered and read at once: the one in turn and the three after it
// (beyond four the search gets no faster on eight cores); fewer on a large
// image, so that what they hold together stays near this many pixels (an 8K
// screen's variants are read one at a time).
constexpr size_t kReadAhead = 4;
constexpr double kAheadPixels = 40e6;

double monotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::vector<Code> dedupeAndOrder(const std::vector<Code>& found) {
  std::vector<Code> kept;
  QHash<QString, size_t> seen;
  for (const Code& code : found) {
    if (const auto at = seen.constFind(code.payload); at != seen.cend()) {
      kept[*at].again.push_back(code.rect);
      continue;
    }
    seen.insert(code.payload, kept.size());
    kept.push_back(code);
  }
  std::stable_sort(kept.begin(), kept.end(),
                   [](const Code& a, const Code& b) { return a.rect.maxY() > b.rect.maxY(); });
  return kept;
}

std::vector<Code> searchCodes(const QImage& image, bool thorough, double budget, const CodeSearchProbe& probe) {
  auto source = std::make_shared<CodeSource>(image);
  if (source->isEmpty()) return {};
  std::vector<Code> found = detect(source->grey(), {});
  if (found.empty() && thorough) {
    const auto now = probe.now ? probe.now : monotonicSeconds;
    // The clock starts before the list is built: its dark test counts.
    const double t0 = now();
    const std::vector<Variant> list = variants(source);
    // The variants are taken in order, as one at a time would, but the next
    // few are already rendered and read on other cores meanwhile: a search
    // through all twelve takes half the time. What was read ahead of
    // the one that answers is waited for and dropped.
    std::vector<std::future<std::vector<Code>>> ahead(list.size());
    const double pixels = double(image.width()) * image.height();
    const size_t aheadCount = std::clamp<size_t>(size_t(kAheadPixels / std::max(1.0, pixels)), 1, kReadAhead);
    auto readAhead = [&](size_t j) {
      if (j >= list.size() || ahead[j].valid()) return;
      ahead[j] = std::async(std::launch::async, [&list, j] {
        cv::Mat rendered = list[j].make();
        return rendered.empty() ? std::vector<Code>{} : detect(rendered, list[j].back);
      });
    };
    for (size_t i = 0; i < list.size(); ++i) {
      // Checked before each variant only; one that started runs to its end.
      // (Written so that a budget that is not a number stops at once.)
      if (!(now() - t0 <= budget) || stopRequested()) break;
      if (probe.trying) probe.trying(static_cast<int>(i) + 1);
      for (size_t j = i; j < i + aheadCount; ++j) readAhead(j);
      found = ahead[i].get();
      if (!found.empty()) break;
    }
    for (auto& pending : ahead)
      if (pending.valid()) pending.wait();
  }
  return dedupeAndOrder(found);
}

std::vector<Code> codes(const QImage& image, bool thorough, double budget) {
  return guarded("code pass", [&] { return searchCodes(image, thorough, budget, {}); });
}

namespace {

// The text engine reads a code's modules as junk ("OR [m]"): a text piece whose
// centre lies on a detected code is that junk, not text of the picture.
bool liesOnACode(const Piece& piece, const std::vector<Code>& codes) {
  if (piece.rect.isZero()) return false;  // no geometry: nothing to compare
  const double x = piece.rect.midX();
  const double y = piece.rect.midY();
  auto on = [&](const PixelRect& r) { return x >= r.minX() && x <= r.maxX() && y >= r.minY() && y <= r.maxY(); };
  for (const Code& code : codes)
    if (on(code.rect) || std::any_of(code.again.begin(), code.again.end(), on)) return true;
  return false;
}

bool contains(const PixelRect& outer, const PixelRect& inner) {
  return inner.midX() >= outer.minX() && inner.midX() <= outer.maxX() && inner.midY() >= outer.minY() &&
         inner.midY() <= outer.maxY();
}

PixelRect united(const PixelRect& a, const PixelRect& b) {
  const double x = std::min(a.minX(), b.minX()), y = std::min(a.minY(), b.minY());
  return {x, y, std::max(a.maxX(), b.maxX()) - x, std::max(a.maxY(), b.maxY()) - y};
}

// A line without the words of it that lie on a code, none when nothing is
// left. A line read across two codes side by side has its centre between
// them: its words tell where its junk lies.
std::optional<Piece> withoutJunk(const Piece& line, const std::vector<std::vector<Piece>>& words,
                                 const std::vector<Code>& codes) {
  if (liesOnACode(line, codes)) return std::nullopt;
  QStringList kept;
  std::optional<PixelRect> box;
  bool dropped = false;
  for (const auto& row : words) {
    for (const Piece& word : row) {
      if (line.rect.isZero() || !contains(line.rect, word.rect)) continue;
      if (liesOnACode(word, codes)) {
        dropped = true;
        continue;
      }
      kept << word.text;
      box = box ? united(*box, word.rect) : word.rect;
    }
  }
  if (!dropped) return line;
  if (!box) return std::nullopt;
  return Piece{*box, kept.join(QLatin1Char(' '))};
}

}  // namespace

Recognized merge(const Recognized& result, const std::vector<Code>& codes) {
  if (codes.empty()) return result;
  Recognized merged;
  QSet<QString> payloads;
  for (const Code& code : codes) {
    payloads.insert(code.payload);
    merged.lines.push_back({Piece{code.rect, code.payload}});
  }
  for (const auto& row : result.lines) {
    std::vector<Piece> kept;
    QStringList texts;
    for (const Piece& piece : row) {
      const std::optional<Piece> text = withoutJunk(piece, result.words, codes);
      if (!text) continue;
      kept.push_back(*text);
      texts << text->text;
    }
    if (kept.empty() || payloads.contains(text::trimWhitespace(texts.join(QLatin1Char(' '))))) continue;
    merged.lines.push_back(std::move(kept));
  }
  // The table is found again without the junk words: a table made of them
  // goes with them.
  bool dropped = false;
  for (const auto& row : result.words) {
    std::vector<Piece> words;
    for (const Piece& word : row) {
      if (liesOnACode(word, codes)) {
        dropped = true;
      } else {
        words.push_back(word);
      }
    }
    if (!words.empty()) merged.words.push_back(std::move(words));
  }
  merged.table = dropped ? detectTable(merged.words) : result.table;
  merged.codes = codes;
  return merged;
}

QImage withoutCodes(const QImage& image, const std::vector<Code>& codes) {
  if (codes.empty() || image.isNull()) return image;
  const int ground = ocr::measure(ocr::grey(image)).background;
  QImage out = image.format() == QImage::Format_Grayscale8 ? image : ocr::opaque(image);
  QPainter p(&out);
  auto paint = [&](const PixelRect& r) {
    // The box is the modules' own; the reader's line may reach a little past them.
    const double margin = 2 + 0.05 * std::min(r.width, r.height);
    const QRectF box(r.minX() - margin, image.height() - r.maxY() - margin, r.width + 2 * margin,
                     r.height + 2 * margin);
    p.fillRect(box.toAlignedRect(), QColor(ground, ground, ground));
  };
  for (const Code& code : codes) {
    paint(code.rect);
    std::for_each(code.again.begin(), code.again.end(), paint);
  }
  return out;
}

}  // namespace Recognizer
