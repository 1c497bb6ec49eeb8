#pragma once
#include <QString>

// The interface-language search: a language matches when its own name, its
// name in the user's language or its code contains the query, compared
// without regard to case by the rules of the user's locale.
namespace langsearch {

// The query without leading and trailing spaces and tabs (line breaks stay).
QString trimmed(const QString& query);

// The name of a language code in the language of a locale tag ("de" in "en"
// is "German"); empty when the locale data has none.
QString displayName(const QString& code, const QString& localeTag);

// The tag of the user's own language: the first preferred language, else "en".
QString userLocaleTag();

// Whether `text` contains `query` ignoring case, folded by the locale's rules
// (a Turkish or Azerbaijani locale keeps dotted and dotless i apart).
bool containsFolded(const QString& text, const QString& query, const QString& localeTag);

// Whether a catalogue language matches a raw query; an empty (or blank) query matches all.
bool matches(const QString& code, const QString& query);

}  // namespace langsearch
