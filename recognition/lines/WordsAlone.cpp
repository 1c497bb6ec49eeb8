#include "recognition/lines/WordsAlone.h"

#include <algorithm>

#include "recognition/lines/ScriptAlone.h"
#include "recognition/base/ScriptLetters.h"
#include "recognition/engines/Stop.h"

namespace ocr {

namespace {

// The read alone must be this good to replace a word.
constexpr double kWell = 0.7;
// At most this many words are read again in one pass: a page of Latin names
// among Hangul costs no more than this.
constexpr int kMost = 12;

// A word of Latin letters only (two at least) with no letter of another script.
bool latinWord(const QString& text) {
  return std::count_if(text.begin(), text.end(), latinLetter) >= 2 &&
         std::none_of(text.begin(), text.end(), otherScriptLetter);
}

// A line of the pass's script: two words or more, most of them in it.
bool inScript(const EngineLine& line) {
  if (line.words.size() < 2 || !line.box) return false;
  const auto script = std::count_if(line.words.begin(), line.words.end(),
                                    [](const EngineWord& w) { return mostlyOtherScript(w.text); });
  return 2 * size_t(script) > line.words.size();
}

// Puts `now` in the place of the `index`th word of `line`, in its text too.
void replaceWord(EngineLine& line, size_t index, const QString& now) {
  qsizetype at = 0;
  for (size_t k = 0; k <= index; ++k) {
    const qsizetype found = line.text.indexOf(line.words[k].text, at);
    if (found < 0) return;  // the text and its words disagree: leave both
    if (k == index) {
      line.text.replace(found, line.words[k].text.size(), now);
      line.words[k].text = now;
      return;
    }
    at = found + line.words[k].text.size();
  }
}

}  // namespace

void readWordsAlone(const QString& key, std::vector<std::optional<EngineLine>>& found, const WordReader& read,
                    EnginePool& pool) {
  const QString first = modelAlone(key);
  if (first.isEmpty()) return;
  std::vector<std::pair<size_t, size_t>> again;  // line, word
  for (size_t i = 0; i < found.size(); ++i) {
    if (!found[i] || !inScript(*found[i])) continue;
    for (size_t k = 0; k < found[i]->words.size(); ++k)
      if (found[i]->words[k].box && latinWord(found[i]->words[k].text)) again.emplace_back(i, k);
  }
  if (again.empty() || int(again.size()) > kMost) return;
  EnginePool::Lease engine = pool.acquire(first);
  for (const auto& [i, k] : again) {
    if (!engine || Recognizer::stopRequested()) return;
    EngineLine& line = *found[i];
    // The word's columns, the line's rows: a Latin word's own box is lower
    // than the script's letters.
    const QRect box(QPoint(line.words[k].box->left(), line.box->top()),
                    QPoint(line.words[k].box->right(), line.box->bottom()));
    const auto alone = read(engine, box);
    if (!alone || alone->confidence < kWell || !mostlyOtherScript(alone->text)) continue;
    // The script's letters are wider than Latin ones, but not by more than
    // twice: "PDF" read alone as one syllable is no word of the script.
    const QString& was = line.words[k].text;
    if (2 * std::count_if(alone->text.begin(), alone->text.end(), otherScriptLetter) <
        std::count_if(was.begin(), was.end(), latinLetter))
      continue;
    const QString now = alone->text.trimmed();
    if (now.isEmpty() || now.contains(QLatin1Char(' '))) continue;
    replaceWord(line, k, now);
  }
}

}  // namespace ocr
