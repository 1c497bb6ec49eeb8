#include "recognition/ScriptAlone.h"

#include <algorithm>

#include "recognition/Stop.h"

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
// The second height tried, as a share of the pass's own.
constexpr double kLarger = 1.25;

bool otherScript(QChar ch) {
  return ch.isLetter() && ch.script() != QChar::Script_Latin && ch.script() != QChar::Script_Common &&
         ch.script() != QChar::Script_Inherited;
}

bool hasOtherScript(const QString& text) { return std::any_of(text.begin(), text.end(), otherScript); }

// Mostly letters of another script than Latin: half its letters and digits
// at least ("4 8 ا" for "4 MB" is not).
bool mostlyOtherScript(const QString& text) {
  int other = 0, all = 0;
  for (QChar ch : text) {
    if (!ch.isLetterOrNumber()) continue;
    ++all;
    if (otherScript(ch)) ++other;
  }
  return other > 0 && 2 * other >= all;
}

// A box that holds a word or two: no wider than six times its height.
bool shortBox(const QRect& box) { return box.height() > 0 && box.width() <= 6 * box.height(); }

// A box nothing was read in, shaped like a word rather than an icon or a
// check box (wider than tall by far).
bool wordShaped(const QRect& box) { return box.height() > 0 && box.width() >= 1.7 * box.height(); }

bool doubtful(const std::optional<EngineLine>& line, const QRect& box) {
  if (!shortBox(box)) return false;
  if (!line) return wordShaped(box);
  return line->confidence < kSure && !hasOtherScript(line->text);
}

}  // namespace

void readAlone(const QString& key, const std::vector<QRect>& boxes, const std::vector<int>& todo,
               std::vector<std::optional<EngineLine>>& found, const BoxReader& read, EnginePool& pool) {
  const QString first = key.section(QLatin1Char('+'), 0, 0);
  if (first == key || latinFirst(key)) return;
  std::vector<int> again;
  int script = 0;  // lines read in another script than Latin
  for (int i : todo) {
    const auto& line = found[size_t(i)];
    if (line && hasOtherScript(line->text)) ++script;
    if (doubtful(line, boxes[size_t(i)])) again.push_back(i);
  }
  if (again.empty() || int(again.size()) > std::min(kMost, std::max(script, 2))) return;
  EnginePool::Lease engine = pool.acquire(first);
  for (int i : again) {
    // A box the pass read nothing in is read at two heights: a word alone
    // reads at one and not the other ("Имя" at 26 and 40 pixels but not at
    // 30). One misread is read once (a second height cost a quarter more
    // time for no word more). The engine goes back to the pool: the next
    // such read needs it again.
    const bool empty = !found[size_t(i)];
    for (double larger : {1.0, kLarger}) {
      if (!engine || Recognizer::stopRequested()) return;
      if (larger != 1.0 && !empty) break;
      auto line = read(engine, size_t(i), larger);
      if (line && line->confidence >= kFair && mostlyOtherScript(line->text)) {
        found[size_t(i)] = std::move(line);
        break;
      }
    }
  }
}

}  // namespace ocr
