// The recognition-language choice and its menu page: which languages are
// offered, the first manual switch, ticking and numbering, and the summary.
#include <gtest/gtest.h>

#include "core/Settings.h"
#include "recognition/base/OCRLanguages.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ViewProbe.h"
#include "ui/language/LanguagePage.h"
#include "ui/language/OCRChoice.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/NavRows.h"
#include "ui/menu/Pieces.h"

namespace {

const QStringList kInstalled{"en-US", "fr-FR", "de-DE", "ja-JP", "ko-KR", "ar-SA"};

// Pins the installed languages and the user's languages before the page is built.
struct Pinned {
  explicit Pinned(QStringList preferred = {"en-US"}) {
    OCRLanguages::setSupportedForTesting(kInstalled);
    Lang::setPreferredLanguagesSource([preferred] { return preferred; });
  }
  ~Pinned() {
    Lang::setPreferredLanguagesSource({});
    OCRLanguages::setSupportedForTesting(std::nullopt);
  }
};

struct Page : Pinned {
  Settings& s = Settings::shared();
  int backs = 0, opens = 0;
  LanguagePage page{s, {[this] { ++backs; }, [this] { ++opens; }}};

  ChoiceRow* row(const char* name) const { return page.findChild<ChoiceRow*>(QString::fromLatin1(name)); }
  // Code -> shown number of the ticked rows, in row order.
  QStringList ticks() const {
    QStringList out;
    for (ChoiceRow* r : page.languageRows())
      if (r->spec().mark.on) out << r->objectName() + "=" + r->spec().trailing.value_or("?");
    return out;
  }
  bool listShown() const { return !page.findChild<QWidget*>("list")->isHidden(); }
};

}  // namespace

TEST(OCRChoice, OffersInstalledTableLanguagesInTableOrder) {
  // Exact codes only: "vi-VN" is not the table's "vi-VT".
  const QList<OCRChoice::Entry> some = OCRChoice::filter({"ar-SA", "yue-Hant", "en-US", "vi-VN", "xx"});
  ASSERT_EQ(some.size(), 3);
  EXPECT_EQ(some[0], (OCRChoice::Entry{"en-US", "English"}));
  EXPECT_EQ(some[2].name, "العربية");

  Pinned pinned;
  QStringList codes;
  for (const auto& e : OCRChoice::all()) codes << e.code;
  EXPECT_EQ(codes, (QStringList{"ko-KR", "en-US", "ja-JP", "fr-FR", "de-DE", "ar-SA"}));
  EXPECT_EQ(OCRChoice::ordered({"de-DE", "xx-YY", "en-US", "de-DE", "ru-RU"}), (QStringList{"en-US", "de-DE"}));
}

TEST(OCRChoice, RecognitionNeverGetsAnEmptyManualList) {
  Pinned pinned({"fr-FR"});
  EXPECT_EQ(OCRChoice::preferred(true, {"de-DE", "en-US"}, std::nullopt), (QStringList{"en-US", "de-DE"}));
  // Hand-picked languages that are no longer installed fall back to the automatic list.
  EXPECT_EQ(OCRChoice::preferred(true, {"ru-RU"}, std::nullopt), (QStringList{"fr-FR", "en-US"}));
  EXPECT_EQ(OCRChoice::preferred(true, {}, QString("de")), (QStringList{"de-DE", "fr-FR", "en-US"}));
  EXPECT_EQ(OCRChoice::preferred(false, {"de-DE"}, std::nullopt), (QStringList{"fr-FR", "en-US"}));
}

TEST(LanguagePage, FirstManualSwitchSeedsFromPreferredLanguagesOnce) {
  Page p;
  EXPECT_TRUE(p.row("auto")->spec().selected);
  EXPECT_FALSE(p.listShown());
  EXPECT_TRUE(p.row("fallback")->isHidden());
  EXPECT_EQ(p.page.languageRows().size(), kInstalled.size());

  Lang::setPreferredLanguagesSource([] { return QStringList{"de-DE", "ja"}; });
  probe::click(p.row("manual"));
  EXPECT_TRUE(p.s.ocrManual());
  // Stored as the user's languages give them; shown in table order.
  EXPECT_EQ(p.s.ocrLanguages(), (QStringList{"de-DE", "ja-JP", "en-US"}));
  EXPECT_EQ(p.ticks(), (QStringList{"en-US=1", "ja-JP=2", "de-DE=3"}));
  EXPECT_TRUE(p.listShown());
  EXPECT_FALSE(p.row("fallback")->isHidden());
  EXPECT_TRUE(p.row("manual")->spec().sub.has_value()) << "the chosen row explains itself";
  EXPECT_FALSE(p.row("auto")->spec().sub.has_value());

  probe::click(p.row("ja-JP"));
  probe::click(p.row("auto"));
  EXPECT_FALSE(p.s.ocrManual());
  EXPECT_FALSE(p.listShown());
  probe::click(p.row("manual"));
  EXPECT_EQ(p.s.ocrLanguages(), (QStringList{"en-US", "de-DE"})) << "no second seeding";

  probe::click(p.page.findChild<BackRow*>("back"));
  probe::click(p.page.findChild<NavRow*>("uiLanguage"));
  EXPECT_EQ(p.backs + p.opens, 2);
}

TEST(LanguagePage, NumbersFollowTableOrderAndTheLastTickedLanguageStays) {
  Page p;
  p.s.setOcrLanguages({"en-US"});
  p.s.setOcrManual(true);
  probe::click(p.row("en-US"));
  EXPECT_EQ(p.s.ocrLanguages(), QStringList{"en-US"}) << "the last one stays";
  probe::click(p.row("ja-JP"));
  probe::click(p.row("ko-KR"));
  EXPECT_EQ(p.ticks(), (QStringList{"ko-KR=1", "en-US=2", "ja-JP=3"}));
  EXPECT_EQ(p.s.ocrLanguages(), (QStringList{"ko-KR", "en-US", "ja-JP"}));
  probe::click(p.row("en-US"));
  EXPECT_EQ(p.ticks(), (QStringList{"ko-KR=1", "ja-JP=2"}));
  EXPECT_EQ(p.row("en-US")->spec().trailing, std::nullopt);

  // Codes outside the table are not shown and do not count as ticked, and the
  // first real change drops them from the store.
  p.s.setOcrLanguages({"de-DE", "ru-RU"});
  EXPECT_EQ(p.ticks(), QStringList{"de-DE=1"});
  probe::click(p.row("de-DE"));
  EXPECT_EQ(p.s.ocrLanguages(), (QStringList{"de-DE", "ru-RU"}));
  probe::click(p.row("fr-FR"));
  EXPECT_EQ(p.s.ocrLanguages(), (QStringList{"fr-FR", "de-DE"}));
}

TEST(LanguagePage, FallbackRowTogglesAndIsNeverSelected) {
  Page p;
  p.s.setOcrManual(true);
  ChoiceRow* fallback = p.row("fallback");
  EXPECT_TRUE(fallback->spec().mark.on);
  probe::click(fallback);
  EXPECT_FALSE(p.s.ocrFallback());
  EXPECT_FALSE(fallback->spec().mark.on);
  EXPECT_FALSE(fallback->spec().selected);
}

TEST(LanguagePage, SummaryAndHeaderFollowTheInterfaceLanguage) {
  testenv::FakeBundle bundle;
  bundle.writeCatalog("nl", "{\"ocrText\": \"Talen\"}");  // no "_name"
  bundle.reload();
  Page p;
  auto* ui = p.page.findChild<NavRow*>("uiLanguage");
  auto* header = p.page.findChild<SectionHeader*>("header");
  EXPECT_EQ(ui->summary(), "Automatic \u00B7 English");
  p.s.setLanguage(Lang("de"));
  EXPECT_EQ(ui->summary(), "de") << "the stub catalogue's own name";
  p.s.setLanguage(Lang("nl"));
  EXPECT_EQ(ui->summary(), "nl");
  EXPECT_EQ(header->text(), "Talen");
}
