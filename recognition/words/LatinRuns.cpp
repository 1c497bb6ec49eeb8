#include "recognition/words/LatinRuns.h"

#include <tesseract/baseapi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "recognition/words/DotGaps.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/base/ScriptLetters.h"

namespace ocr {

namespace {

// A blank stretch this wide, in letter heights, ends a run: a word space.
// The room between a dot and its letters is less (DotGaps.h).
constexpr double kWordGap = 0.45;
// Runs wider than this, in letter heights, are not read again: sentences
// joined by a dot, not a file name (an Arabic name of seven letters is
// eight letter heights wide).
constexpr double kLongest = 12;
// A Latin read less sure than this is no extension.
constexpr double kSure = 0.5;
// A name read alone less sure than this is not taken.
constexpr double kPoorName = 0.3;
// A part read alone reads best half as large again as its line (dialogs,
// words found in Korean, Japanese, Chinese and Arabic: 610 against 604 as
// large, 609 twice as large).
constexpr double kLarger = 1.5;

// Columns [left, right] of the image; empty when left < 0.
struct Span {
  int left = -1, right = -1;
  bool empty() const { return left < 0; }
  int width() const { return right - left + 1; }
};

// The run of ink columns met from `from` on in the direction `step`, up to
// a blank stretch of `gap` columns.
Span runFrom(const std::vector<bool>& ink, int from, int step, int gap) {
  Span s;
  int blank = 0;
  for (int x = from; x >= 0 && x < int(ink.size()); x += step) {
    if (!ink[size_t(x)]) {
      if (++blank >= gap) break;
      continue;
    }
    blank = 0;
    s.left = s.left < 0 ? x : std::min(s.left, x);
    s.right = std::max(s.right, x);
  }
  return s;
}

// Which columns of `image` hold ink: darker than halfway from the ground to
// the darkest ink.
std::vector<bool> inkColumns(const QImage& image, int ground) {
  int darkest = 255;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* row = image.constScanLine(y);
    for (int x = 0; x < image.width(); ++x) darkest = std::min<int>(darkest, row[x]);
  }
  const int mid = (ground + darkest) / 2;
  std::vector<bool> columns(size_t(image.width()), false);
  for (int y = 0; y < image.height(); ++y) {
    const uchar* row = image.constScanLine(y);
    for (int x = 0; x < image.width(); ++x)
      if (row[x] < mid) columns[size_t(x)] = true;
  }
  return columns;
}

// The columns of `span` alone on ground, with `pad` columns of room on both
// sides. A span after `dot` takes what lies below the dot's foot in its
// columns too: the hook of a "j" set close after it reaches back under it.
QImage alone(const QImage& image, const Span& span, const InnerDot& dot, int ground, int pad) {
  const bool after = span.left > dot.right;
  const int x0 = after ? dot.left : span.left, x1 = span.right;
  QImage out(x1 - x0 + 1 + 2 * pad, image.height(), QImage::Format_Grayscale8);
  if (out.isNull()) return out;
  out.fill(uint(ground));
  for (int y = 0; y < image.height(); ++y) {
    uchar* to = out.scanLine(y) + pad - x0;
    const uchar* from = image.constScanLine(y);
    std::memcpy(to + span.left, from + span.left, size_t(span.width()));
    if (after && y > dot.bottom)
      for (int x = dot.left; x <= dot.right; ++x) to[x] = from[x];
  }
  return out.scaled(int(std::lround(out.width() * kLarger)), int(std::lround(out.height() * kLarger)),
                    Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

struct WordRead {
  QString text;
  double confidence = 0;
};

// The part's read in `mode`; nothing when the engine failed (it is dropped
// then).
std::optional<WordRead> readPart(EnginePool::Lease& engine, const QImage& image, tesseract::PageSegMode mode) {
  if (!recognizeGrey(engine, image, mode)) return std::nullopt;
  char* text = engine->GetUTF8Text();
  WordRead read{QString::fromUtf8(text), engine->MeanTextConf() / 100.0};
  delete[] text;
  // The marks of direction the engine puts around right-to-left words are
  // no letters of the name.
  for (const char16_t mark : {u'\u200e', u'\u200f', u'\u061c'}) read.text.remove(QChar(mark));
  read.text = read.text.simplified();
  return read;
}

// A part read as one line. The single-line mode finds no line in some
// words standing alone (an Arabic name): read as a raw line they read.
std::optional<WordRead> readWord(EnginePool::Lease& engine, const QImage& image) {
  if (!engine || image.isNull()) return std::nullopt;
  auto read = readPart(engine, image, tesseract::PSM_SINGLE_LINE);
  if (read && read->text.isEmpty()) read = readPart(engine, image, tesseract::PSM_RAW_LINE);
  return read;
}

// Latin letters and digits only, a letter among them.
bool latinWord(const QString& text) {
  bool letter = false;
  for (QChar ch : text) {
    if (latinLetter(ch)) letter = true;
    else if (!(ch >= QLatin1Char('0') && ch <= QLatin1Char('9'))) return false;
  }
  return letter;
}

// Nothing but letters of a script other than Latin.
bool cleanName(const QString& text) {
  return !text.isEmpty() && std::all_of(text.begin(), text.end(), otherScriptLetter);
}

// The name a word read in context holds, when it is clean: what stands
// before its last dot, or without a dot the script's letters it starts
// with when nothing of the script follows ("照片jpg"); empty otherwise.
QString nameIn(const QString& word) {
  const qsizetype dot = word.lastIndexOf(QLatin1Char('.'));
  if (dot >= 0) return cleanName(word.left(dot)) ? word.left(dot) : QString();
  qsizetype n = 0;
  while (n < word.size() && cleanName(word.mid(n, 1))) ++n;
  return n > 0 && !hasOtherScript(word.mid(n)) ? word.left(n) : QString();
}

// The words of a line standing within some columns: where they are in the
// line's text and its words.
struct Within {
  qsizetype start = -1, end = -1;  // in the text; start < 0: none
  std::vector<size_t> words;
};

Within within(const EngineLine& line, int x0, int x1) {
  Within w;
  qsizetype from = 0;
  for (size_t i = 0; i < line.words.size(); ++i) {
    const EngineWord& word = line.words[i];
    const qsizetype at = line.text.indexOf(word.text, from);
    if (at < 0) return {};
    from = at + word.text.size();
    if (!word.box || 2 * x0 > word.box->left() + word.box->right() || word.box->left() + word.box->right() > 2 * x1)
      continue;
    w.start = w.start < 0 ? at : std::min(w.start, at);
    w.end = std::max(w.end, at + word.text.size());
    w.words.push_back(i);
  }
  return w;
}

// The words `w` of `line` become one word `text`.
void replace(EngineLine& line, const Within& w, const QString& text) {
  std::optional<QRect> box;
  for (size_t i : w.words) box = box ? *box | *line.words[i].box : *line.words[i].box;
  std::vector<EngineWord> words;
  for (size_t i = 0; i < line.words.size(); ++i) {
    if (i == w.words.front()) words.push_back({text, box});
    if (std::find(w.words.begin(), w.words.end(), i) == w.words.end()) words.push_back(std::move(line.words[i]));
  }
  line.text.replace(w.start, w.end - w.start, text);
  line.words = std::move(words);
}

// Right to left: the name stands at the right of its extension.
bool rightToLeft(const QString& text) {
  return !text.isEmpty() && (text[0].direction() == QChar::DirR || text[0].direction() == QChar::DirAL);
}

}  // namespace

bool readsLatinRunsApart(const QString& key) {
  return firstReadsOneOf(key, {QStringLiteral("ko-KR"), QStringLiteral("ja-JP"), QStringLiteral("zh-Hans"),
                               QStringLiteral("zh-Hant"), QStringLiteral("th-TH"), QStringLiteral("ar-SA")});
}

QString latinRunsKey() { return OCRLanguages::traineddata(QStringLiteral("en-US")).value_or(QString()); }

void readLatinRuns(EngineLine& line, const QImage& image, int ground, EnginePool::Lease& engine, EnginePool& pool) {
  const std::vector<InnerDot> dots = innerDotMarks(image, ground);
  if (dots.empty()) return;
  const std::vector<bool> ink = inkColumns(image, ground);
  const QString latinKey = latinRunsKey();
  EnginePool::Lease latin = pool.acquireIdle(latinKey);
  if (!latin) latin = pool.acquire(latinKey);
  if (!latin) return;
  for (const InnerDot& dot : dots) {
    const int gap = std::max(3, int(std::lround(kWordGap * dot.letter)));
    const Span sides[2] = {runFrom(ink, dot.left - 1, -1, gap), runFrom(ink, dot.right + 1, 1, gap)};
    if (sides[0].empty() || sides[1].empty()) continue;
    const int pad = std::max(8, int(std::lround(0.5 * dot.letter)));
    // Each side read alone by both engines. The pass's own engine finds
    // letters of its script in the name; the extension is a Latin word read
    // well by either (the better of them: the own engine reads a Latin run
    // as digits at times, "사진.108").
    WordRead own[2], best[2];
    for (int i = 0; i < 2; ++i) {
      if (sides[i].width() > kLongest * dot.letter) continue;
      const QImage part = alone(image, sides[i], dot, ground, pad);
      const auto asLatin = readWord(latin, part);
      const auto asOwn = readWord(engine, part);
      if (!asOwn) return;
      own[i] = *asOwn;
      for (const auto& read : {asOwn, asLatin})
        if (read && latinWord(read->text) && read->confidence > best[i].confidence) best[i] = *read;
    }
    auto extension = [&](int i) {
      return !hasOtherScript(own[i].text) && !best[i].text.isEmpty() && best[i].confidence >= kSure;
    };
    // The name: what the line read before the dot where that is clean, else
    // the side's own read.
    const Within words = within(line, sides[0].left, sides[1].right);
    if (words.start < 0) continue;
    // What the line read there in its script alone, with no dot, is no file
    // name: the dots of Arabic letters stand where a name's dot would
    // ("طباعة" became "طباعة.ac").
    const QString there = line.text.mid(words.start, words.end - words.start);
    if (!there.contains(QLatin1Char('.')) &&
        std::none_of(there.begin(), there.end(), [](QChar ch) { return latinLetter(ch) || ch.isDigit(); }))
      continue;
    const QString kept = nameIn(line.text.mid(words.start, words.end - words.start));
    int name = -1;
    if (extension(0) != extension(1)) name = extension(1) ? 0 : 1;
    else if (extension(0) && !kept.isEmpty()) name = rightToLeft(kept) ? 1 : 0;
    if (name < 0) continue;
    // A name read alone this poorly is no better than the line's.
    if (kept.isEmpty() && own[name].confidence < kPoorName) continue;
    QString text = kept.isEmpty() ? own[name].text : kept;
    while (text.endsWith(QLatin1Char('.'))) text.chop(1);
    while (text.startsWith(QLatin1Char('.'))) text.remove(0, 1);
    // The name stands first in reading order: left of the extension, or
    // right of it in a script written right to left.
    if (!hasOtherScript(text) || name != (rightToLeft(text) ? 1 : 0)) continue;
    replace(line, words, text + QLatin1Char('.') + best[1 - name].text);
  }
}

}  // namespace ocr
