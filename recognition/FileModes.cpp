#include "recognition/FileModes.h"

namespace ocr {

namespace {

// A mode of nine letters stands first on a line of several words: the links,
// owner and group follow it (the text detector may cut the line after them).
constexpr size_t kListingWords = 3;

// At most this many letters put right: beyond that the word is no mode.
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

// The mode `word` stands for, or empty.
QString repaired(const QString& word, size_t words) {
  // Nine letters alone: the leading dash was lost (a regular file's, the most
  // common by far and the thinnest mark).
  if (word.size() == 9 && words < kListingWords) return {};
  const QString w = word.size() == 9 ? QLatin1Char('-') + word : word;
  if (w.size() != 10 && !(w.size() == 11 && QStringLiteral(".+@").contains(w[10]))) return {};
  QString out = w;
  int repairs = word.size() == 9 ? 1 : 0;
  if (!fileType(out[0])) {
    out[0] = typeLookAlike(out[0]);
    if (!fileType(out[0])) return {};
    ++repairs;
  }
  for (int i = 0; i < 9; ++i) {
    QChar& c = out[i + 1];
    if (allowed(i, c)) continue;
    c = lookAlike(i, c);
    if (!allowed(i, c)) return {};
    ++repairs;
  }
  return repairs <= kMostRepairs ? out : QString();
}

}  // namespace

void repairFileMode(EngineLine& line) {
  if (line.words.empty()) return;
  const QString first = line.words.front().text;
  const QString text = line.text.trimmed();
  if (!text.startsWith(first)) return;
  const QString mode = repaired(first, line.words.size());
  if (mode.isEmpty() || mode == first) return;
  line.words.front().text = mode;
  line.text = mode + text.mid(first.size());
}

}  // namespace ocr
