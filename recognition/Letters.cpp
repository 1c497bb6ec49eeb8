#include "recognition/Letters.h"

#include <unicode/uchar.h>

#include <QTextBoundaryFinder>

namespace text {

long long letterCount(const QString& s) {
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
    if (u_hasBinaryProperty(UChar32(scalar), UCHAR_ALPHABETIC)) ++count;
  }
  return count;
}

}  // namespace text
