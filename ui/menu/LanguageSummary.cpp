#include "ui/menu/LanguageSummary.h"

#include "core/Strings.h"

namespace menu {

QString nativeName(const QString& code) {
  const QString name = Catalog::raw(code).value(QStringLiteral("_name"));
  return name.isEmpty() ? code : name;
}

QString languageSummary(const Lang& language, const Strings& texts) {
  const QString name = nativeName(language.resolved().rawValue());
  if (language.isAuto()) return texts.auto_ + QStringLiteral(" \u00B7 ") + name;
  return name;
}

}  // namespace menu
