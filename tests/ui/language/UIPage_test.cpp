// The interface-language page: search by code and names with the locale's
// case folding, blank queries, recent languages, scrolling, and choosing.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

#include "core/Settings.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ViewProbe.h"
#include "ui/kit/Clickable.h"
#include "ui/language/LanguageSearch.h"
#include "ui/language/SearchField.h"
#include "ui/language/UILanguagePage.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/MenuView.h"

namespace {

// The user's languages, pinned before the page is built.
struct Pinned {
  Pinned() { Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; }); }
  ~Pinned() { Lang::setPreferredLanguagesSource({}); }
};

struct Page : Pinned {
  Settings& s = Settings::shared();
  UILanguagePage page{s, [] {}};

  QStringList shown() const {
    QStringList out;
    for (const Lang& l : Lang::concrete())
      if (!page.listRow(l)->isHidden()) out << l.rawValue();
    return out;
  }
  bool visible(const char* name) const { return !page.findChild<QWidget*>(QString::fromLatin1(name))->isHidden(); }
  // What the page shows besides the list: the automatic row, the recent list, the rule, the clear button.
  QString chrome() const {
    return QString("%1%2%3%4").arg(visible("auto")).arg(visible("recent")).arg(visible("rule"))
        .arg(!page.searchField()->clearButton()->isHidden());
  }
  int scroll() const { return page.list()->verticalScrollBar()->value(); }
};

}  // namespace

TEST(UILanguageSearch, MatchesByCodeNameInTheUsersLanguageAndOwnName) {
  Page p;
  p.page.setQuery("zh");  // neither name contains it; the codes do
  EXPECT_EQ(p.shown(), (QStringList{"zh-Hans", "zh-Hant"}));
  p.page.setQuery(" \tGERMAN  ");
  EXPECT_EQ(p.shown(), QStringList{"de"});
  p.page.setQuery("ελλ");  // the Greek catalogue's own name
  EXPECT_EQ(p.shown(), QStringList{"el"});
  p.page.setQuery("qqq");
  EXPECT_TRUE(p.shown().isEmpty());

  // In a German-speaking locale the second name is German.
  Lang::setPreferredLanguagesSource([] { return QStringList{"de-DE"}; });
  p.page.setQuery("englisch");
  EXPECT_EQ(p.shown(), QStringList{"en"});
  p.page.setQuery("german");
  EXPECT_TRUE(p.shown().isEmpty());
}

TEST(UILanguageSearch, CaseFoldingFollowsTheLocale) {
  EXPECT_TRUE(langsearch::containsFolded("Türkçe DİLİ", "dili", "tr"));
  EXPECT_FALSE(langsearch::containsFolded("DIL", "dil", "tr")) << "dotless I is not i in Turkish";
  EXPECT_TRUE(langsearch::containsFolded("DIL", "dil", "en"));
  EXPECT_TRUE(langsearch::containsFolded("STRASSE", "straße", "de"));
  EXPECT_TRUE(langsearch::containsFolded(QString::fromUtf8("Franc\u0327ais"), QString::fromUtf8("FRANÇ"), "en"));
  EXPECT_EQ(langsearch::displayName("pt-BR", "en"), "Portuguese (Brazil)");
  EXPECT_EQ(langsearch::displayName("xx", "en"), "");
  EXPECT_EQ(langsearch::trimmed("\nfr\n"), "\nfr\n") << "line breaks are not blanks here";
}

TEST(UILanguagePage, BlankQueriesDoNotSearchAndClearingRestoresThePage) {
  Page p;
  p.s.setLanguage(Lang("de"));
  p.s.setLanguage(Lang("auto"));
  p.page.setQuery("   \t ");
  EXPECT_FALSE(p.page.searching());
  EXPECT_EQ(p.chrome(), "1110");
  EXPECT_EQ(p.shown().size(), 35);
  EXPECT_EQ(p.page.list()->height(), 360);

  p.page.searchField()->edit()->setText("fr");  // typing
  EXPECT_EQ(p.page.query(), "fr");
  EXPECT_EQ(p.chrome(), "0001");
  EXPECT_EQ(p.page.list()->height(), 200);
  EXPECT_EQ(p.page.searchField()->edit()->placeholderText(), "Search \u00B7 35") << "all, not the matches";

  probe::click(p.page.searchField()->clearButton());
  EXPECT_EQ(p.page.query(), "");
  EXPECT_EQ(p.chrome(), "1110");
  EXPECT_EQ(p.page.list()->height(), 360);
}

TEST(UILanguagePage, RecentLanguagesSkipMissingCataloguesAndTheRuleStays) {
  testenv::FakeBundle bundle;
  Page p;
  EXPECT_FALSE(p.visible("recentHeader"));
  EXPECT_TRUE(p.visible("rule"));
  p.s.setLanguage(Lang("de"));
  p.s.setLanguage(Lang("fr"));
  EXPECT_EQ(p.page.recent(), (QList<Lang>{Lang("fr"), Lang("de")}));
  EXPECT_TRUE(p.visible("recentHeader"));
  bundle.removeCatalog("fr");
  bundle.reload();
  p.s.setLanguage(Lang("auto"));  // leaves the stored list alone
  EXPECT_EQ(p.s.recentLanguages(), (QStringList{"fr", "de"}));
  EXPECT_EQ(p.page.recent(), QList<Lang>{Lang("de")});
  EXPECT_TRUE(p.page.findChild<ChoiceRow*>("auto")->spec().selected);
  EXPECT_FALSE(p.page.listRow(Lang("en"))->spec().selected) << "not even the one auto resolves to";
}

TEST(UILanguagePage, OpensCentredOnTheCurrentLanguageOrAtTheTop) {
  {
    Page automatic;
    probe::render(&automatic.page);
    EXPECT_EQ(automatic.scroll(), 0);
  }
  Settings::shared().setLanguage(Lang("pl"));
  Page p;
  probe::render(&p.page);
  ChoiceRow* row = p.page.listRow(Lang("pl"));
  EXPECT_TRUE(row->spec().selected);
  EXPECT_NEAR(row->mapTo(p.page.list()->viewport(), QPoint(0, row->height() / 2)).y(), 180, 1);
  const int value = p.scroll();
  EXPECT_GT(value, 0);
  probe::click(p.page.listRow(Lang("pt-BR")));
  EXPECT_EQ(p.s.language(), Lang("pt-BR"));
  probe::render(&p.page);
  EXPECT_EQ(p.scroll(), value) << "choosing a row does not scroll the list";
}

TEST(UILanguagePage, ChoosingArabicFlipsThePanelAndLeadsTheRecentList) {
  Settings& s = Settings::shared();
  s.setLanguage(Lang("de"));
  MenuState state;
  state.setPage(MenuState::Page::uiLanguage);
  int relayouts = 0;
  MenuView view(s, state, {{}, {}, {}, {}, [&] { ++relayouts; }});
  auto* page = qobject_cast<UILanguagePage*>(view.page());
  ASSERT_TRUE(page);
  page->setQuery("arab");
  probe::click(page->listRow(Lang("ar")));
  EXPECT_EQ(s.language(), Lang("ar"));
  EXPECT_EQ(view.layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(page->layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(view.page(), page) << "still on this page";
  EXPECT_EQ(page->query(), "arab");
  EXPECT_EQ(s.recentLanguages(), (QStringList{"ar", "de"}));
  QCoreApplication::processEvents();
  EXPECT_EQ(relayouts, 1);
  page->setQuery("");
  EXPECT_EQ(page->recent().first(), Lang("ar"));
}
