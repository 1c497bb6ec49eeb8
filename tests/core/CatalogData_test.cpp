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

QStringList placeholdersIn(const QString& text) {
  QStringList found;
  static const QRegularExpression brace(QStringLiteral("\\{[^}]*\\}"));
  for (auto it = brace.globalMatch(text); it.hasNext();) found << it.next().captured();
  found.sort();
  return found;
}

TEST(CatalogData, EveryCandidateLanguageShips) {
  EXPECT_EQ(Catalog::codes(), Catalog::order());
}

TEST(CatalogData, EveryFileIsCompleteWithItsPlaceholders) {
  const QStringList keys = Strings::keys();
  ASSERT_EQ(keys.size(), 95);
  for (const QString& code : Catalog::order()) {
    SCOPED_TRACE(code.toStdString());
    const QJsonObject object = load(code);
    ASSERT_FALSE(object.isEmpty());
    QStringList expected = keys;
    expected << "_name";
    const bool rtl = code == "ar" || code == "he";
    if (rtl) expected << "_rtl";
    QStringList actual = object.keys();
    expected.sort();
    actual.sort();
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(Lang(code).isRTL(), rtl);
    for (const QString& key : keys) {
      const QJsonValue value = object.value(key);
      ASSERT_TRUE(value.isString()) << key.toStdString();
      EXPECT_FALSE(value.toString().trimmed().isEmpty()) << key.toStdString();
      QStringList want = Strings::placeholders(key);
      want.sort();
      EXPECT_EQ(placeholdersIn(value.toString()), want) << key.toStdString();
    }
    EXPECT_FALSE(object.value("_name").toString().isEmpty());
  }
}

TEST(CatalogData, LanguageNamesAreDistinct) {
  QStringList names;
  for (const QString& code : Catalog::order()) names << load(code).value("_name").toString();
  names.removeDuplicates();
  EXPECT_EQ(names.size(), Catalog::order().size());
}

TEST(CatalogData, KoreanCountsLinesWithNativeWords) {
  EXPECT_TRUE(L::table(Lang("ko")).textMeta(3, 120).contains(QStringLiteral("세")));
  EXPECT_TRUE(L::table(Lang("ko")).textMeta(3, 120).contains(QStringLiteral("120")));
  EXPECT_FALSE(L::table(Lang("ko")).textMeta(3, 120).contains(QStringLiteral("3")));
}

}  // namespace
