#include "core/Strings.h"

#include <QMutex>

#include "platform/Bundle.h"

namespace {

// Catalogue key of a text field: the field name, except for C++ keywords.
QString keyOf(const char* field) {
  QString key = QString::fromLatin1(field);
  if (key.endsWith(QLatin1Char('_'))) key.chop(1);
  return key;
}

// Korean native counting words for 0-10, as used in "세 줄".
const char* const kKoreanCount[] = {"", "한", "두", "세", "네", "다섯", "여섯", "일곱", "여덟", "아홉", "열"};

}  // namespace

Strings::Strings(const QString& code)
    : code_(code), raw_(Catalog::raw(code)), en_(Catalog::raw(QStringLiteral("en"))) {
#define TARVOK_TEXT_FILL(name) name = v(keyOf(#name));
  TARVOK_TEXT_KEYS(TARVOK_TEXT_FILL)
#undef TARVOK_TEXT_FILL
}

QString Strings::v(const QString& key) const {
  auto it = raw_.constFind(key);
  if (it != raw_.constEnd()) return *it;
  it = en_.constFind(key);
  if (it != en_.constEnd()) return *it;
  return key;
}

QString Strings::fill(const QString& key,
                      std::initializer_list<std::pair<const char*, QString>> params) const {
  QString text = v(key);
  for (const auto& [name, value] : params) {
    text.replace(QLatin1Char('{') + QLatin1String(name) + QLatin1Char('}'), value);
  }
  return text;
}

QString Strings::count(long long n) const {
  if (code_ == QLatin1String("ko") && n >= 0 && n <= 10) return QString::fromUtf8(kKoreanCount[n]);
  return QString::number(n);
}

QString Strings::taken(const QString& s) const { return fill(QStringLiteral("taken"), {{"s", s}}); }
QString Strings::sameSpot(const QString& s) const { return fill(QStringLiteral("sameSpot"), {{"s", s}}); }
QString Strings::nowSystem(const QString& s) const { return fill(QStringLiteral("nowSystem"), {{"s", s}}); }
QString Strings::obShortcutTaken(const QString& s) const {
  return fill(QStringLiteral("obShortcutTaken"), {{"s", s}});
}

QString Strings::textMeta(long long lines, long long chars) const {
  if (lines == 1) return fill(QStringLiteral("textMetaOne"), {{"c", QString::number(chars)}});
  return fill(QStringLiteral("textMeta"), {{"n", count(lines)}, {"c", QString::number(chars)}});
}

QString Strings::tableMeta(long long rows, long long cols) const {
  return fill(QStringLiteral("tableMeta"), {{"r", QString::number(rows)}, {"c", QString::number(cols)}});
}

QString Strings::editedMeta(long long chars) const {
  return fill(QStringLiteral("editedMeta"), {{"c", QString::number(chars)}});
}

QString Strings::moreRows(long long n) const {
  if (n == 1) return v(QStringLiteral("moreRowsOne"));
  return fill(QStringLiteral("moreRows"), {{"n", QString::number(n)}});
}

QStringList Strings::keys() {
  QStringList list;
#define TARVOK_TEXT_KEY(name) list << keyOf(#name);
  TARVOK_TEXT_KEYS(TARVOK_TEXT_KEY)
#undef TARVOK_TEXT_KEY
  list << QStringLiteral("taken") << QStringLiteral("sameSpot") << QStringLiteral("nowSystem")
       << QStringLiteral("obShortcutTaken") << QStringLiteral("textMeta") << QStringLiteral("textMetaOne")
       << QStringLiteral("tableMeta") << QStringLiteral("editedMeta") << QStringLiteral("moreRows")
       << QStringLiteral("moreRowsOne");
  return list;
}

QStringList Strings::placeholders(const QString& key) {
  static const QHash<QString, QStringList> map = {
      {"taken", {"{s}"}},         {"sameSpot", {"{s}"}},         {"nowSystem", {"{s}"}},
      {"obShortcutTaken", {"{s}"}}, {"textMeta", {"{n}", "{c}"}}, {"textMetaOne", {"{c}"}},
      {"tableMeta", {"{r}", "{c}"}}, {"editedMeta", {"{c}"}},     {"moreRows", {"{n}"}},
  };
  return map.value(key);
}

namespace L {

Strings table(const Lang& lang) {
  static QMutex mutex;
  static QHash<QString, std::shared_ptr<const Strings>> cache;
  static int generation = -1;
  const QString code = lang.resolved().rawValue();
  QMutexLocker guard(&mutex);
  if (generation != Bundle::generation()) {
    generation = Bundle::generation();
    cache.clear();
  }
  auto it = cache.constFind(code);
  if (it == cache.constEnd()) it = cache.insert(code, std::make_shared<const Strings>(code));
  return **it;
}

}  // namespace L
