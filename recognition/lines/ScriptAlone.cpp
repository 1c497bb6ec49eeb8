#include "recognition/lines/ScriptAlone.h"

#include <algorithm>

#include "recognition/lines/LineRead.h"
#include "recognition/base/Median.h"
#include "recognition/base/ScriptLetters.h"
#include "recognition/engines/Stop.h"

namespace ocr {

namespace {

// Read this well, a line has told its script: a short word misread as Latin
// comes out at 0.35-0.75.
constexpr double kSure = 0.8;
// The read by the first model alone must be at least this good.
constexpr double kFair = 0.5;
// At most this many boxes are read again; more doubtful ones than that, or
// than lines read in the script, and the image is in another script.
constexpr int kMost = 10;
// The heights tried, as shares of the pass's own.
constexpr double kSmaller = 0.8;
constexpr double kLarger = 1.25;

// A box that holds a word or two: no wider than six times its height.
bool shortBox(const QRect& box) { return box.height() > 0 && box.width() <= 6 * box.height(); }

// A box nothing was read in, shaped like a word rather than an icon or a
// check box (wider than tall by far).
bool wordShaped(const QRect& box) { return box.height() > 0 && box.width() >= 1.7 * box.height(); }

// Latin letters, two or more, read in a box as high as the image's lines
// and at least as wide: two ideographs on a dark button ("預覽" read "as")
// come back so and are dropped as chrome; a check box's box is lower than
// the lines, a radio button's ring reads one letter.
bool lettersAsHighAsLines(const EngineLine& line, const QRect& box, int lineHeight) {
  const auto letters = std::count_if(line.text.begin(), line.text.end(), [](QChar ch) { return ch.isLetter(); });
  return letters >= 2 && lineHeight > 0 && box.height() >= lineHeight && box.width() >= box.height();
}

bool doubtful(const std::optional<EngineLine>& line, const QRect& box, int lineHeight) {
  if (!shortBox(box)) return false;
  if (!line) return wordShaped(box);
  if (line->confidence >= kSure || hasOtherScript(line->text)) return false;
  // What else is dropped as chrome (a radio button's ring read "o") stays
  // dropped: read again it comes back as a kana or a syllable at best.
  return !isChrome(*line) || lettersAsHighAsLines(*line, box, lineHeight);
}

}  // namespace

QString modelAlone(const QString& key) {
  const QString first = key.section(QLatin1Char('+'), 0, 0);
  return first == key || latinFirst(key) ? QString() : first;
}

void readAlone(const QString& key, const std::vector<QRect>& boxes, const std::vector<int>& todo,
               std::vector<std::optional<EngineLine>>& found, const BoxReader& read, EnginePool& pool) {
  const QString first = modelAlone(key);
  if (first.isEmpty()) return;
  std::vector<int> again;
  int script = 0;  // lines read in another script than Latin
  std::vector<int> heights;
  for (int i : todo) heights.push_back(boxes[size_t(i)].height());
  const int lineHeight = heights.empty() ? 0 : int(median(std::move(heights)));
  for (int i : todo) {
    const auto& line = found[size_t(i)];
    if (line && hasOtherScript(line->text)) ++script;
    if (doubtful(line, boxes[size_t(i)], lineHeight)) again.push_back(i);
  }
  if (again.empty() || int(again.size()) > std::min(kMost, std::max(script, 2))) return;
  EnginePool::Lease engine = pool.acquire(first);
  for (int i : again) {
    // The pass read these at its own height (and a quarter larger where
    // poor). Alone, a word reads at one height and not at the next: a fifth
    // smaller first, then the pass's own (dialogs, words found: 1133 against
    // 1129 with the pass's height alone). A box read empty is tried a quarter
    // larger too ("Имя" at 24 and 37 pixels, not at 30). The engine goes back
    // to the pool: the next such read needs it.
    const bool empty = !found[size_t(i)];
    for (double larger : {kSmaller, 1.0, kLarger}) {
      if (!engine || Recognizer::stopRequested()) return;
      if (larger == kLarger && !empty) break;
      auto line = read(engine, size_t(i), larger);
      if (line && line->confidence >= kFair && mostlyOtherScript(line->text)) {
        found[size_t(i)] = std::move(line);
        break;
      }
    }
  }
}

}  // namespace ocr
