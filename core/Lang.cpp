#include "core/Lang.h"

#include <QLocale>
#include <QMutex>
#include <QRegularExpression>

namespace {

bool allLetters(const QString& s) {
  for (QChar c : s) {
    if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) && !(c >= QLatin1Char('A') && c <= QLatin1Char('Z'))) {
      return false;
    }
  }
  return !s.isEmpty();
}

bool allDigits(const QString& s) {
  for (QChar c : s) {
    if (!c.isDigit()) return false;
  }
  return !s.isEmpty();
}

QMutex sourceMutex;
std::function<QStringList()>& source() {
  static std::function<QStringList()> fn;
  return fn;
}

}  // namespace

LangTag LangTag::parse(const QString& tag) {
  LangTag out;
  // POSIX locale names carry an encoding and a modifier: "de_AT.UTF-8@euro".
  QString t = tag.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('@'), 0, 0).trimmed();
  const QStringList subtags = t.split(QRegularExpression(QStringLiteral("[-_]")));
  if (subtags.isEmpty()) return out;
  const QString language = subtags.first();
  if (language.size() < 2 || language.size() > 3 || !allLetters(language)) return out;
  out.language = language.toLower();
  for (int i = 1; i < subtags.size(); ++i) {
    const QString& s = subtags[i];
    if (i == 1 && s.size() == 4 && allLetters(s)) {
      out.script = s.left(1).toUpper() + s.mid(1).toLower();
    } else if (out.region.isEmpty() && ((s.size() == 2 && allLetters(s)) || (s.size() == 3 && allDigits(s)))) {
      out.region = s.toUpper();
      break;
    } else {
      break;
    }
  }
  return out;
}

QStringList Lang::preferredLanguages() {
  {
    QMutexLocker guard(&sourceMutex);
    if (source()) return source()();
  }
  QStringList tags;
  for (const QString& tag : QLocale::system().uiLanguages()) {
    if (tag == QLatin1String("C") || tag == QLatin1String("POSIX")) continue;
    tags << tag;
  }
  return tags;
}

void Lang::setPreferredLanguagesSource(std::function<QStringList()> fn) {
  QMutexLocker guard(&sourceMutex);
  source() = std::move(fn);
}

Lang Lang::resolved() const {
  if (!isAuto()) return *this;
  for (const QString& tag : preferredLanguages()) {
    if (auto code = Catalog::match(tag)) return Lang(*code);
  }
  return Lang(QStringLiteral("en"));
}

bool Lang::isRTL() const {
  return Catalog::raw(resolved().rawValue()).value(QStringLiteral("_rtl")) == QLatin1String("true");
}

QList<Lang> Lang::concrete() {
  QList<Lang> list;
  for (const QString& code : Catalog::codes()) list << Lang(code);
  return list;
}
