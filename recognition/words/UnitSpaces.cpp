#include "recognition/words/UnitSpaces.h"

#include <algorithm>
#include <memory>

namespace ocr {

namespace {

// A space between a number and its unit is about half the height of a
// capital or a digit, the room between two letters a fifth or less (dialog
// faces at 13 px, read at 32 px: 16 against 3-8 pixels).
constexpr double kSpace = 0.35;
// ... and wider by half than any other gap in the word: wide letters ("M")
// leave more room beside them.
constexpr double kOverOthers = 1.5;
// Between two Hangul syllables, a space leaves a blank about a third of the
// line's ink height wide, the room within a word a tenth (dialogs at 13 px).
constexpr double kSyllableSpace = 0.25;
constexpr double kOverRoom = 1.4;

struct Symbol {
  QString text;
  QRect box;
};

// The characters of every word the engine read, in its reading order.
std::vector<std::vector<Symbol>> symbols(tesseract::TessBaseAPI& engine) {
  std::vector<std::vector<Symbol>> words;
  std::unique_ptr<tesseract::ResultIterator> it(engine.GetIterator());
  if (!it) return words;
  it->Begin();
  do {
    if (it->Empty(tesseract::RIL_SYMBOL)) continue;
    if (words.empty() || it->IsAtBeginningOf(tesseract::RIL_WORD)) words.emplace_back();
    const std::unique_ptr<char[]> text(it->GetUTF8Text(tesseract::RIL_SYMBOL));
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!text || !it->BoundingBox(tesseract::RIL_SYMBOL, &x0, &y0, &x1, &y1)) return {};
    words.back().push_back({QString::fromUtf8(text.get()), QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1))});
  } while (it->Next(tesseract::RIL_SYMBOL));
  return words;
}

// A letter of an alphabet that sets its units apart ("4 MB", "3 КБ");
// scripts written without spaces do not ("3个").
bool alphabetic(QChar ch) {
  const QChar::Script script = ch.script();
  return ch.isLetter() &&
         (script == QChar::Script_Latin || script == QChar::Script_Cyrillic || script == QChar::Script_Greek);
}

// The Cyrillic capital Ze, which a Cyrillic model reads for a lone "3" at
// screen sizes ("3 КБ" as "ЗКБ").
constexpr char16_t kZe = u'\u0417';

// A word read as a lone Ze and a short unit in capitals ("ЗКБ"): a "3" and
// its unit, when the gap after the Ze is a space (unitStart). A word of the
// language starting with Ze has its next letter close by.
bool threeLookAlike(const std::vector<Symbol>& word) {
  if (word.size() < 2 || word.size() > 4 || word[0].text != QString(QChar(kZe))) return false;
  return std::all_of(word.begin() + 1, word.end(), [](const Symbol& s) {
    return s.text.size() == 1 && s.text[0].isUpper() && s.text[0].script() == QChar::Script_Cyrillic;
  });
}

// Where the digits of `word` end and letters begin, set apart by a space:
// a gap of more than a third of the characters' height and well over the
// word's other gaps. 0 when there is no such place.
size_t unitStart(const std::vector<Symbol>& word) {
  size_t split = 0;
  while (split < word.size() && word[split].text.size() == 1 && word[split].text[0].isDigit()) ++split;
  if (split == 0 && threeLookAlike(word)) split = 1;
  if (split == 0 || split == word.size()) return 0;
  for (size_t i = split; i < word.size(); ++i)
    if (!std::all_of(word[i].text.begin(), word[i].text.end(), alphabetic)) return 0;
  int height = 0, widest = 0;
  for (size_t i = 0; i < word.size(); ++i) {
    height = std::max(height, word[i].box.height());
    if (i + 1 < word.size() && i + 1 != split) widest = std::max(widest, word[i + 1].box.left() - word[i].box.right() - 1);
  }
  const int gap = word[split].box.left() - word[split - 1].box.right() - 1;
  return gap > kSpace * height && gap > kOverOthers * widest ? split : 0;
}

QRect united(const std::vector<Symbol>& word, size_t from, size_t to) {
  QRect r;
  for (size_t i = from; i < to; ++i) r |= word[i].box;
  return r;
}

bool rightToLeft(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar ch) {
    return ch.direction() == QChar::DirR || ch.direction() == QChar::DirAL;
  });
}

}  // namespace

void keepUnitSpaces(EngineLine& line, tesseract::TessBaseAPI& engine) {
  if (rightToLeft(line.text)) return;
  const auto read = symbols(engine);
  if (read.size() != line.words.size()) return;
  std::vector<EngineWord> words;
  QString text;
  qsizetype copied = 0;  // how much of the line's text is in `text`
  qsizetype from = 0;    // where the next word is looked for in it
  for (size_t k = 0; k < read.size(); ++k) {
    const EngineWord& word = line.words[k];
    const qsizetype at = line.text.indexOf(word.text, from);
    if (at >= 0) from = at + word.text.size();
    QString joined;
    for (const Symbol& s : read[k]) joined += s.text;
    const size_t split = at >= 0 && joined == word.text ? unitStart(read[k]) : 0;
    if (split == 0) {
      words.push_back(word);
      continue;
    }
    const qsizetype cut = at + qsizetype(split);
    // A number read as its look-alike letter is a number again.
    QString number = word.text.left(qsizetype(split));
    if (number == QString(QChar(kZe))) number = QStringLiteral("3");
    text += line.text.mid(copied, at - copied) + number + QLatin1Char(' ');
    copied = cut;
    words.push_back({number, united(read[k], 0, split)});
    words.push_back({word.text.mid(qsizetype(split)), united(read[k], split, read[k].size())});
  }
  if (copied == 0) return;
  line.text = text + line.text.mid(copied);
  line.words = std::move(words);
}

namespace {

bool hangul(QChar ch) { return ch.script() == QChar::Script_Hangul; }

// The widest run of columns of `image` between `from` and `to` (exclusive)
// with no ink: no pixel darker than halfway from the ground to black.
int blankRun(const QImage& image, int ground, int from, int to) {
  from = std::max(from, 0);
  to = std::min(to, image.width());
  const int ink = ground / 2;
  int best = 0, run = 0;
  for (int x = from; x < to; ++x) {
    bool blank = true;
    for (int y = 0; y < image.height() && blank; ++y) blank = image.constScanLine(y)[x] > ink;
    run = blank ? run + 1 : 0;
    best = std::max(best, run);
  }
  return best;
}

}  // namespace

void keepSyllableSpaces(EngineLine& line, tesseract::TessBaseAPI& engine, const QImage& image, int ground,
                        double inkHeight) {
  if (inkHeight <= 0 || !std::any_of(line.text.begin(), line.text.end(), hangul)) return;
  const auto read = symbols(engine);
  if (read.size() != line.words.size()) return;
  std::vector<qsizetype> at;
  qsizetype from = 0;
  for (const EngineWord& word : line.words) {
    at.push_back(line.text.indexOf(word.text, from));
    if (at.back() < 0) return;
    from = at.back() + word.text.size();
  }
  // The blank between every two syllables in a row, and where a space may
  // go in: the place in the text of the second, when it opens a word of
  // the engine's that follows the last one without a space.
  struct Gap {
    int width;
    qsizetype place;  // -1: within one of the engine's words
  };
  std::vector<Gap> gaps;
  const Symbol* last = nullptr;
  for (size_t k = 0; k < read.size(); ++k)
    for (size_t i = 0; i < read[k].size(); ++i) {
      const Symbol& s = read[k][i];
      const bool pair = last && !last->text.isEmpty() && !s.text.isEmpty() && hangul(last->text.back()) && hangul(s.text.front());
      if (pair) {
        const bool opens = i == 0 && k > 0 && at[k - 1] + line.words[k - 1].text.size() == at[k];
        gaps.push_back({blankRun(image, ground, last->box.center().x(), s.box.center().x()), opens ? at[k] : -1});
      }
      last = &s;
    }
  // A space is wider than the line's usual room between syllables by far,
  // too: some pairs ("미리") stand nearly as far apart within a word, and
  // some faces set all their syllables that far apart ("엽니다" read "엽 니 다").
  if (gaps.empty()) return;
  std::vector<int> widths;
  for (const Gap& g : gaps) widths.push_back(g.width);
  std::nth_element(widths.begin(), widths.begin() + std::ptrdiff_t(widths.size() / 2), widths.end());
  const int room = widths[widths.size() / 2];
  const double least = kSyllableSpace * inkHeight;
  QString text = line.text;
  qsizetype added = 0;
  for (const Gap& g : gaps) {
    if (g.place < 0 || g.width < least || g.width < kOverRoom * room) continue;
    text.insert(g.place + added, QLatin1Char(' '));
    ++added;
  }
  line.text = text;
}

}  // namespace ocr
