#include "ui/language/LanguageSearch.h"

#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include "core/Lang.h"
#include "ui/menu/LanguageSummary.h"

namespace langsearch {
namespace {

bool isBlank(QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; }

icu::UnicodeString toIcu(const QString& s) {
  return icu::UnicodeString(reinterpret_cast<const UChar*>(s.utf16()), int32_t(s.size()));
}

QString fromIcu(const icu::UnicodeString& s) {
  return QString(reinterpret_cast<const QChar*>(s.getBuffer()), s.length());
}

icu::Locale localeFor(const QString& tag) {
  UErrorCode status = U_ZERO_ERROR;
  icu::Locale locale = icu::Locale::forLanguageTag(tag.toStdString(), status);
  return U_SUCCESS(status) ? locale : icu::Locale::getRoot();
}

icu::UnicodeString folded(const QString& s, bool turkic) {
  icu::UnicodeString u = toIcu(s);
  u.foldCase(turkic ? U_FOLD_CASE_EXCLUDE_SPECIAL_I : U_FOLD_CASE_DEFAULT);
  // Composed and decomposed spellings of the same letter compare equal.
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_FAILURE(status)) return u;
  icu::UnicodeString out = nfc->normalize(u, status);
  return U_SUCCESS(status) ? out : u;
}

}  // namespace

QString trimmed(const QString& query) {
  qsizetype start = 0;
  qsizetype end = query.size();
  while (start < end && isBlank(query[start])) ++start;
  while (end > start && isBlank(query[end - 1])) --end;
  return query.mid(start, end - start);
}

QString displayName(const QString& code, const QString& localeTag) {
  const icu::Locale language = localeFor(code);
  if (language.isBogus() || QString::fromLatin1(language.getLanguage()).isEmpty()) return {};
  icu::UnicodeString name;
  language.getDisplayName(localeFor(localeTag), name);
  const QString out = fromIcu(name);
  // Without data ICU echoes the identifier back; that is no name.
  const QString normalizedCode = QString(code).replace(QLatin1Char('-'), QLatin1Char('_'));
  if (out.compare(code, Qt::CaseInsensitive) == 0 || out.compare(normalizedCode, Qt::CaseInsensitive) == 0) return {};
  return out;
}

QString userLocaleTag() {
  const QStringList preferred = Lang::preferredLanguages();
  return preferred.isEmpty() ? QStringLiteral("en") : preferred.first();
}

bool containsFolded(const QString& text, const QString& query, const QString& localeTag) {
  if (query.isEmpty()) return true;
  if (text.isEmpty()) return false;
  const QString language = QString::fromLatin1(localeFor(localeTag).getLanguage());
  const bool turkic = language == QLatin1String("tr") || language == QLatin1String("az");
  return folded(text, turkic).indexOf(folded(query, turkic)) >= 0;
}

bool matches(const QString& code, const QString& query) {
  const QString q = trimmed(query);
  if (q.isEmpty()) return true;
  const QString locale = userLocaleTag();
  for (const QString& candidate : {menu::nativeName(code), displayName(code, locale), code}) {
    if (containsFolded(candidate, q, locale)) return true;
  }
  return false;
}

}  // namespace langsearch
