#include <gtest/gtest.h>

#include "core/Lang.h"
#include "core/Strings.h"
#include "tests/support/Fixtures.h"
#include "tests/support/Printers.h"

namespace {

class CatalogTest : public ::testing::Test {
 protected:
  void TearDown() override { Lang::setPreferredLanguagesSource({}); }
  static QString resolve(const QStringList& preferred) {
    Lang::setPreferredLanguagesSource([preferred] { return preferred; });
    return Lang("auto").resolved().rawValue();
  }
  testenv::FakeBundle bundle;
};

TEST_F(CatalogTest, SystemTagsMatchCatalogueCodes) {
  const std::pair<const char*, const char*> cases[] = {
      {"zh-Hant-TW", "zh-Hant"}, {"zh_MO", "zh-Hant"}, {"zh-Hans-HK", "zh-Hans"},
      {"nn-NO", "nb"},           {"EN-us", "en"},    {"de_AT.UTF-8@euro", "de"}};
  for (const auto& [tag, code] : cases) EXPECT_EQ(Catalog::match(tag), std::optional<QString>(code)) << tag;
  for (const char* tag : {"sr", "", "C", "zh-Latn"}) EXPECT_EQ(Catalog::match(tag), std::nullopt) << tag;
}

TEST_F(CatalogTest, AutoFollowsTheFirstCataloguedPreference) {
  EXPECT_EQ(resolve({"sr", "de-AT"}), "de");
  EXPECT_EQ(resolve({}), "en");
  EXPECT_EQ(resolve({"sr", "xx-YY"}), "en");
  // A concrete choice is never tested against the catalogue.
  EXPECT_EQ(Lang("xx").resolved().rawValue(), "xx");
}

TEST_F(CatalogTest, CodesFollowMenuOrderAndOnlyPresentFiles) {
  bundle.removeCatalog("hu");
  bundle.reload();
  QStringList expected = Catalog::order();
  expected.removeOne("hu");
  EXPECT_EQ(Catalog::codes(), expected);
  EXPECT_EQ(Lang::concrete().size(), 34);
}

TEST_F(CatalogTest, MalformedFilesLoadAsEmptyOrPartlyAndStaySo) {
  bundle.writeCatalog("de", R"(["not", "an", "object"])");
  bundle.writeCatalog("fr", R"({"pick": "Choisir", "n": 3, "z": null, "a": [1], "o": {"x": "y"}, "b": false})");
  bundle.writeCatalog("es", "{ broken");
  bundle.reload();
  EXPECT_TRUE(Catalog::raw("de").isEmpty());
  EXPECT_TRUE(Catalog::raw("es").isEmpty());
  EXPECT_EQ(Catalog::raw("fr"), (Catalog::Texts{{"pick", "Choisir"}, {"b", "false"}}));
  EXPECT_EQ(Strings("de").pick, Strings("en").pick);  // a broken catalogue shows English
  // Each file is read once, a failed one too.
  bundle.writeCatalog("fr", R"({"pick": "Changed"})");
  bundle.writeCatalog("de", R"({"pick": "Changed"})");
  EXPECT_EQ(Catalog::raw("fr").value("pick"), "Choisir");
  EXPECT_TRUE(Catalog::raw("de").isEmpty());
}

TEST_F(CatalogTest, RightToLeftOnlyForTheExactTrueValue) {
  bundle.writeCatalog("ar", R"({"_rtl": "true"})");
  bundle.writeCatalog("he", R"({"_rtl": true})");
  bundle.writeCatalog("th", R"({"_rtl": "True"})");
  bundle.writeCatalog("hi", R"({"_rtl": 1})");
  bundle.reload();
  EXPECT_TRUE(Lang("ar").isRTL());
  EXPECT_TRUE(Lang("he").isRTL());
  for (const char* code : {"th", "hi", "en", "xx"}) EXPECT_FALSE(Lang(code).isRTL()) << code;
}

TEST_F(CatalogTest, UnknownCodeShowsEnglishAndKeysAsLastResort) {
  bundle.writeCatalog("en", R"({"pick": "Pick text", "moreRows": "+ {n} more"})");
  bundle.reload();
  const Strings s("xx");
  EXPECT_EQ(s.pick, "Pick text");
  EXPECT_EQ(s.quit, "quit");  // in no catalogue: the key itself
  EXPECT_EQ(s.moreRows(1), "moreRowsOne");
  EXPECT_EQ(s.moreRows(4), "+ 4 more");
}

TEST_F(CatalogTest, BuildersFillTheirPlaceholders) {
  bundle.writeCatalog("ko", R"({"textMeta": "{n} 줄 · {c}자", "textMetaOne": "한 줄 · {c}자 {n}",
                               "moreRows": "{n}줄 더", "moreRowsOne": "한 줄 더 {n}"})");
  bundle.writeCatalog("de", R"({"textMeta": "{n} Zeilen · {c}/{c}", "tableMeta": "{r}×{c} {s}",
                               "taken": "{s} ist belegt"})");
  bundle.reload();
  const Strings ko("ko");
  EXPECT_EQ(ko.textMeta(3, 120), "세 줄 · 120자");
  EXPECT_EQ(ko.textMeta(11, 5), "11 줄 · 5자");
  EXPECT_EQ(ko.textMeta(1, 7), "한 줄 · 7자 {n}");  // only {c} is filled for one line
  EXPECT_EQ(ko.moreRows(1), "한 줄 더 {n}");
  const Strings de("de");
  EXPECT_EQ(de.textMeta(3, 1234567), "3 Zeilen · 1234567/1234567");
  EXPECT_EQ(de.tableMeta(5, 3), "5×3 {s}");
  EXPECT_EQ(de.taken("Ctrl Shift 2"), "Ctrl Shift 2 ist belegt");
}

TEST_F(CatalogTest, TableIsBuiltPerResolvedLanguage) {
  bundle.writeCatalog("de", R"({"pick": "Text wählen"})");
  bundle.reload();
  Lang::setPreferredLanguagesSource([] { return QStringList{"de-CH"}; });
  EXPECT_EQ(L::table(Lang("auto")).pick, "Text wählen");
  // Resolution runs on every call: a changed system language shows at once.
  Lang::setPreferredLanguagesSource([] { return QStringList{"en-GB"}; });
  EXPECT_EQ(L::table(Lang("auto")).code(), "en");
}

}  // namespace
