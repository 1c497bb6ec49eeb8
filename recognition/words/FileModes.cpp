#include "recognition/words/FileModes.h"

#include <algorithm>

namespace ocr {

namespace {

// A mode of nine letters stands first on a line of several words: the links,
// owner and group follow it (the text detector may cut the line after them).
constexpr size_t kListingWords = 3;

// At most this many kinds of letters put right: beyond that the word is no
// mode. A kind counts once however often it comes: an engine that takes
// one letter of a face for another does so in all three triads (DejaVu Sans
// Mono at 11 px: "-PWXP-XP-X", every r a P).
constexpr int kMostRepairs = 4;

// What may stand at place `i` of the nine permission letters.
bool allowed(int i, QChar c) {
  if (c == QLatin1Char('-')) return true;
  switch (i % 3) {
    case 0: return c == QLatin1Char('r');
    case 1: return c == QLatin1Char('w');
    default:
      return c == QLatin1Char('x') || (i < 6 ? c == QLatin1Char('s') || c == QLatin1Char('S')
                                             : c == QLatin1Char('t') || c == QLatin1Char('T'));
  }
}

// The letter a look-alike at place `i` stands for, or itself.
QChar lookAlike(int i, QChar c) {
  if (i % 3 == 0 && (c == QLatin1Char('P') || c == QLatin1Char('R'))) return QLatin1Char('r');
  if (i % 3 == 1 && (c == QLatin1Char('u') || c == QLatin1Char('U') || c == QLatin1Char('W'))) return QLatin1Char('w');
  if (i % 3 == 2 && c == QLatin1Char('X')) return QLatin1Char('x');
  return c;
}

bool fileType(QChar c) { return QStringLiteral("-dlcbps").contains(c); }

QChar typeLookAlike(QChar c) {
  if (QStringLiteral("L1I|i").contains(c)) return QLatin1Char('l');
  if (c == QChar(0x2014) || c == QChar(0x2013)) return QLatin1Char('-');
  return c;
}

// The mode `word` stands for, or empty. An "x" place may hold a run of up to
// three x's of either case: DejaVu Sans Mono's "x" beside a dash at 11 px
// reads as "XxX" at times ("rwxr-XxXr-X").
QString repaired(const QString& word, size_t words) {
  QString w = word;
  int repairs = 0;
  QString kinds;  // the letters put right so far, each once
  QString out;
  qsizetype at = 0;
  if (!w.isEmpty() && !fileType(w[0]) && fileType(typeLookAlike(w[0]))) {
    out += typeLookAlike(w[0]);
    ++repairs, ++at;
  } else if (!w.isEmpty() && fileType(w[0]) && w[0] != QLatin1Char('-')) {
    out += w[0];
    ++at;
  } else if (!w.isEmpty() && w[0] == QLatin1Char('-') && w.size() >= 10) {
    out += w[0];
    ++at;
  } else {
    // Nine letters alone: the leading dash was lost (a regular file's, the
    // most common by far and the thinnest mark).
    if (words < kListingWords) return {};
    out += QLatin1Char('-');
    ++repairs;
  }
  for (int i = 0; i < 9; ++i) {
    if (at >= w.size()) return {};
    QChar c = w[at++];
    if (!allowed(i, c)) {
      const QChar read = c;
      c = lookAlike(i, c);
      if (!allowed(i, c)) return {};
      if (!kinds.contains(read)) kinds += read, ++repairs;
    }
    if (i % 3 == 2 && c == QLatin1Char('x')) {
      int more = 0;
      while (more < 2 && at < w.size() && (w[at] == QLatin1Char('x') || w[at] == QLatin1Char('X'))) ++at, ++more;
      if (more > 0 && !kinds.contains(QLatin1Char('+'))) kinds += QLatin1Char('+'), ++repairs;
    }
    out += c;
  }
  if (at < w.size()) {
    if (at + 1 != w.size() || !QStringLiteral(".+@").contains(w[at])) return {};
    out += w[at];
  }
  return repairs <= kMostRepairs ? out : QString();
}

}  // namespace

void repairFileMode(EngineLine& line) {
  if (line.words.empty()) return;
  const QString text = line.text.trimmed();
  // The mode may come in up to three words ("Lrwx rwx rwx"): the engine
  // takes the gaps of DejaVu Sans Mono's "x" beside "r" for spaces.
  QString joined, read;
  for (size_t k = 0; k < std::min<size_t>(3, line.words.size()); ++k) {
    joined += line.words[k].text;
    read += (k ? QStringLiteral(" ") : QString()) + line.words[k].text;
    if (joined.size() > 13) return;
    if (!text.startsWith(read)) return;
    const QString mode = repaired(joined, line.words.size() - k);
    if (mode.isEmpty()) continue;
    if (mode == read) return;
    std::optional<QRect> box = line.words.front().box;
    for (size_t j = 1; j <= k; ++j)
      if (line.words[j].box) box = box ? *box | *line.words[j].box : *line.words[j].box;
    line.words.erase(line.words.begin() + 1, line.words.begin() + qsizetype(k) + 1);
    line.words.front() = {mode, box};
    line.text = mode + text.mid(read.size());
    return;
  }
}

}  // namespace ocr
