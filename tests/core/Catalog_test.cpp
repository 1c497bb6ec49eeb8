#include <gtest/gtest.h>

#include <QFile>

#include "core/Lang.h"
#include "core/Strings.h"
#include "platform/Bundle.h"
#include "tests/support/Fixtures.h"
#include "tests/support/Printers.h"
#include "tests/support/TestEnv.h"

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

TEST(ResourceFiles, AMissingOrBrokenFileGivesOneWarningNamingItAndWhatIsShownInstead) {
  // Valid JSON, but no file of ours is anywhere near this big.
  const auto huge = [](qint64 bytes) { return "{\"pick\": \"" + QByteArray(bytes, 'x') + "\"}"; };
  // The file, its content (null: removed) and the warning after the folder.
  const std::tuple<QString, QByteArray, QString> rows[] = {
      {"Strings/en.json", nullptr, "Strings/en.json: the file is missing; texts show as their keys"},
      {"Strings/en.json", "{ \"pick\": ", "Strings/en.json: it is not valid JSON ("},
      {"Strings/de.json", "[\"an\", \"array\"]", "Strings/de.json: it holds no JSON object; English is shown instead"},
      {"Strings/de.json", huge(4 << 20), "Strings/de.json: the file is larger than 4 MB; English is shown instead"},
      {"Info.json", "{ broken", "Info.json: it is not valid JSON ("},
      {"Info.json", nullptr, "Info.json: the file is missing; reports stay off and the About links hidden"},
      {"Info.json", huge(1 << 20),
       "Info.json: the file is larger than 1 MB; reports stay off and the About links hidden"},
  };
  for (const auto& [file, content, warning] : rows) {
    testenv::FakeBundle bundle;  // a folder of its own: each file is warned about once per process
    QFile f(bundle.dir() + "/" + file);
    f.remove();
    ASSERT_TRUE(content.isNull() || (f.open(QIODevice::WriteOnly) && f.write(content) > 0 && f.flush()));
    testenv::LogCapture log(QStringLiteral("tarvok.bundle"));
    for (int pass = 0; pass < 2; ++pass) {
      bundle.reload();  // the caches start again; the warning does not
      (void)Strings(QStringLiteral("de"));
      (void)Bundle::infoString(QStringLiteral("TQSentryDSN"));
    }
    ASSERT_EQ(log.lines().size(), 1) << log.lines().join('\n').toStdString();
    EXPECT_TRUE(log.lines()[0].startsWith(bundle.dir() + "/" + warning)) << log.lines()[0].toStdString();
  }
}
