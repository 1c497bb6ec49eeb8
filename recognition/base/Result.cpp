#include "recognition/base/Result.h"

#include <QTextBoundaryFinder>
#include <algorithm>

namespace text {

bool isWhitespace(QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; }

bool isWhitespaceOrNewline(QChar c) {
  // The set of "whitespace" plus the newlines, so a leading tab is trimmed too.
  const ushort u = c.unicode();
  if ((u >= 0x09 && u <= 0x0D) || u == 0x85) return true;
  const QChar::Category cat = c.category();
  return cat == QChar::Separator_Space || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph;
}

namespace {
template <typename Pred>
QString trimBy(const QString& s, Pred pred) {
  qsizetype start = 0;
  qsizetype end = s.size();
  while (start < end && pred(s[start])) ++start;
  while (end > start && pred(s[end - 1])) --end;
  return s.mid(start, end - start);
}
}  // namespace

QString trimWhitespace(const QString& s) { return trimBy(s, isWhitespace); }
QString trimWhitespaceAndNewlines(const QString& s) { return trimBy(s, isWhitespaceOrNewline); }

long long countGraphemesIf(const QString& s, const std::function<bool(char32_t)>& test) {
  if (s.isEmpty()) return 0;
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
  long long count = 0;
  qsizetype start = 0;
  for (qsizetype end; (end = finder.toNextBoundary()) != -1; start = end) {
    if (end <= start) continue;
    char32_t scalar = s[start].unicode();
    if (s[start].isHighSurrogate() && start + 1 < end && s[start + 1].isLowSurrogate()) {
      scalar = QChar::surrogateToUcs4(s[start], s[start + 1]);
    }
    if (!test || test(scalar)) ++count;
  }
  return count;
}

long long graphemeCount(const QString& s) { return countGraphemesIf(s, {}); }

long long visibleCount(const QString& s) {
  return countGraphemesIf(s, [](char32_t c) { return c > 0xFFFF || !isWhitespaceOrNewline(QChar(char16_t(c))); });
}

bool isBidiControl(QChar c) {
  const ushort u = c.unicode();
  return u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

QString withoutBidiControls(QString s) {
  s.removeIf(isBidiControl);
  return s;
}

bool isRightToLeft(const QString& s) {
  int rtl = 0, ltr = 0;
  for (qsizetype i = 0; i < s.size(); ++i) {
    char32_t c = s[i].unicode();
    if (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(s[i], s[i + 1]);
      ++i;
    }
    switch (QChar::direction(c)) {
      case QChar::DirR:
      case QChar::DirAL:
        ++rtl;
        break;
      case QChar::DirL:
        ++ltr;
        break;
      default:
        break;
    }
  }
  return rtl > ltr;
}

}  // namespace text

namespace {

QString rowText(const std::vector<Piece>& row) {
  QStringList parts;
  parts.reserve(qsizetype(row.size()));
  for (const Piece& p : row) parts << p.text;
  return parts.join(QLatin1Char(' '));
}

// True when the text ends in an ASCII letter followed by "-", the letter being
// a grapheme of its own (no combining mark on it).
bool endsWithHyphenatedLetter(const QString& s) {
  if (s.size() < 2 || !s.endsWith(QLatin1Char('-'))) return false;
  const QChar letter = s[s.size() - 2];
  const bool ascii = (letter >= QLatin1Char('a') && letter <= QLatin1Char('z')) ||
                     (letter >= QLatin1Char('A') && letter <= QLatin1Char('Z'));
  if (!ascii) return false;
  // The letter must start its own grapheme cluster: nothing before it joins it.
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, s);
  finder.setPosition(s.size() - 2);
  return finder.isAtBoundary();
}

}  // namespace

QString Recognized::text() const {
  QStringList rows;
  rows.reserve(qsizetype(lines.size()));
  for (const auto& row : lines) rows << rowText(row);
  const QString all = text::trimWhitespaceAndNewlines(rows.join(QLatin1Char('\n')));
  // The first row keeps the spaces it starts with: a code line's indentation.
  for (const QString& row : rows) {
    if (text::trimWhitespaceAndNewlines(row).isEmpty()) continue;
    qsizetype spaces = 0;
    while (spaces < row.size() && row[spaces] == QLatin1Char(' ')) ++spaces;
    const bool indented = spaces > 0 && !text::isWhitespaceOrNewline(row[spaces]);
    return indented ? QString(spaces, QLatin1Char(' ')) + all : all;
  }
  return all;
}

QString Recognized::joinedText() const {
  QString result;
  for (const auto& row : lines) {
    const QString s = text::trimWhitespace(rowText(row));
    if (s.isEmpty()) continue;
    if (result.isEmpty()) {
      result = s;
    } else if (endsWithHyphenatedLetter(result)) {
      result.chop(1);
      result += s;
    } else {
      result += QLatin1Char(' ') + s;
    }
  }
  return result;
}

QString Table::tsv() const {
  QStringList out;
  for (const QStringList& row : rows) {
    QStringList cells;
    for (QString cell : row) cells << cell.replace(QLatin1Char('\t'), QLatin1Char(' '));
    out << cells.join(QLatin1Char('\t'));
  }
  return out.join(QLatin1Char('\n'));
}

QString Table::html() const {
  QString out = QStringLiteral("<meta charset=\"utf-8\"><table>");
  for (const QStringList& row : rows) {
    out += QStringLiteral("<tr>");
    for (QString cell : row) {
      cell.replace(QLatin1Char('&'), QStringLiteral("&amp;"))
          .replace(QLatin1Char('<'), QStringLiteral("&lt;"))
          .replace(QLatin1Char('>'), QStringLiteral("&gt;"));
      out += QStringLiteral("<td>") + cell + QStringLiteral("</td>");
    }
    out += QStringLiteral("</tr>");
  }
  return out + QStringLiteral("</table>");
}

int Table::columnCount() const {
  qsizetype widest = 0;
  for (const QStringList& row : rows) widest = std::max(widest, row.size());
  return int(widest);
}
