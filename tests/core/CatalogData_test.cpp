// Checks the shipped interface texts: every candidate language present and
// complete, with exactly the placeholders each text needs.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "core/Lang.h"
#include "core/Strings.h"
#include "tests/support/TestEnv.h"

namespace {

QJsonObject load(const QString& code) {
  QFile file(testenv::sourceResources() + "/Strings/" + code + ".json");
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QJsonDocument::fromJson(file.readAll()).object();
}

QStringList sorted(QStringList list) {
  list.sort();
  return list;
}

QStringList placeholdersIn(const QString& text) {
  QStringList found;
  static const QRegularExpression brace(QStringLiteral("\\{[^}]*\\}"));
  for (auto it = brace.globalMatch(text); it.hasNext();) found << it.next().captured();
  return sorted(found);
}

TEST(CatalogData, EveryLanguageShipsCompleteWithItsPlaceholdersAndOwnName) {
  EXPECT_EQ(Catalog::codes(), Catalog::order());
  const QStringList keys = Strings::keys();
  ASSERT_EQ(keys.size(), 101);
  QStringList names;
  for (const QString& code : Catalog::order()) {
    SCOPED_TRACE(code.toStdString());
    const QJsonObject object = load(code);
    const bool rtl = code == "ar" || code == "he";
    EXPECT_EQ(sorted(object.keys()), sorted(keys + QStringList{"_name"} + (rtl ? QStringList{"_rtl"} : QStringList{})));
    EXPECT_EQ(Lang(code).isRTL(), rtl);
    for (const QString& key : keys) {
      const QString text = object.value(key).toString();
      EXPECT_FALSE(text.trimmed().isEmpty()) << key.toStdString();
      EXPECT_EQ(placeholdersIn(text), sorted(Strings::placeholders(key))) << key.toStdString();
    }
    names << object.value("_name").toString();
  }
  names.removeDuplicates();
  names.removeAll(QString());
  EXPECT_EQ(names.size(), Catalog::order().size());
}

}  // namespace
