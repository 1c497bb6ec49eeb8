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
  Pinned() {
    Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; });
  }
  ~Pinned() { Lang::setPreferredLanguagesSource({}); }
};

struct Page : Pinned {
  Settings& s = Settings::shared();
  UILanguagePage page{s, [] {}};

  QStringList shown() const {
    QStringList out;
    for (const Lang& l : Lang::concrete()) {
      if (!page.listRow(l)->isHidden()) out << l.rawValue();
    }
    return out;
  }
  bool visible(const char* name) const { return !page.findChild<QWidget*>(QString::fromLatin1(name))->isHidden(); }
  bool clearShown() const { return !page.searchField()->clearButton()->isHidden(); }
};

}  // namespace

TEST(UILanguageSearch, MatchesByCodeNameInTheUsersLanguageAndOwnName) {
  Page p;
  p.page.setQuery("zh");  // neither name contains it; the codes do
  EXPECT_EQ(p.shown(), (QStringList{"zh-Hans", "zh-Hant"}));
  p.page.setQuery("GERMAN");
  EXPECT_EQ(p.shown(), QStringList{"de"});
  p.page.setQuery(" \tdeutsch  ");
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
  EXPECT_FALSE(langsearch::containsFolded("DIL", "dil", "tr"));  // dotless I is not i in Turkish
  EXPECT_TRUE(langsearch::containsFolded("DIL", "dil", "en"));
  EXPECT_TRUE(langsearch::containsFolded("STRASSE", "straße", "de"));
  EXPECT_TRUE(langsearch::containsFolded(QString::fromUtf8("Franc\u0327ais"), QString::fromUtf8("FRANÇ"), "en"));
  EXPECT_EQ(langsearch::displayName("xx", "en"), "");
  EXPECT_EQ(langsearch::displayName("pt-BR", "en"), "Portuguese (Brazil)");
  EXPECT_EQ(langsearch::trimmed(" \t a b \t"), "a b");
  EXPECT_EQ(langsearch::trimmed("\nfr\n"), "\nfr\n");  // line breaks are not blanks here
}

TEST(UILanguagePage, BlankQueriesDoNotSearchAndClearingRestoresThePage) {
  Page p;
  p.s.setLanguage(Lang("de"));
  p.s.setLanguage(Lang("auto"));
  EXPECT_EQ(p.page.searchField()->edit()->placeholderText(), "Search \u00B7 35");
  p.page.setQuery("   \t ");
  EXPECT_FALSE(p.page.searching());
  EXPECT_TRUE(p.visible("auto"));
  EXPECT_TRUE(p.visible("recent"));
  EXPECT_TRUE(p.visible("rule"));
  EXPECT_FALSE(p.clearShown());
  EXPECT_EQ(p.shown().size(), 35);
  EXPECT_EQ(p.page.list()->height(), 360);

  p.page.searchField()->edit()->setText("fr");  // typing
  EXPECT_EQ(p.page.query(), "fr");
  EXPECT_FALSE(p.visible("auto"));
  EXPECT_FALSE(p.visible("recent"));
  EXPECT_FALSE(p.visible("rule"));
  EXPECT_TRUE(p.clearShown());
  EXPECT_EQ(p.page.list()->height(), 200);
  EXPECT_EQ(p.page.searchField()->edit()->placeholderText(), "Search \u00B7 35");  // all, not the matches

  probe::click(p.page.searchField()->clearButton());
  EXPECT_EQ(p.page.query(), "");
  EXPECT_TRUE(p.visible("auto"));
  EXPECT_TRUE(p.visible("rule"));
  EXPECT_FALSE(p.clearShown());
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
  EXPECT_FALSE(p.page.listRow(Lang("en"))->spec().selected);  // not even the one auto resolves to
}

TEST(UILanguagePage, OpensCentredOnTheCurrentLanguage) {
  Settings::shared().setLanguage(Lang("pl"));
  Page p;
  probe::render(&p.page);
  QScrollArea* list = p.page.list();
  ChoiceRow* row = p.page.listRow(Lang("pl"));
  EXPECT_TRUE(row->spec().selected);
  const int centre = row->mapTo(list->viewport(), QPoint(0, row->height() / 2)).y();
  EXPECT_NEAR(centre, 180, 1);
  EXPECT_GT(list->verticalScrollBar()->value(), 0);

  // Choosing a row does not scroll the list.
  const int value = list->verticalScrollBar()->value();
  probe::click(p.page.listRow(Lang("pt-BR")));
  EXPECT_EQ(p.s.language(), Lang("pt-BR"));
  probe::render(&p.page);
  EXPECT_EQ(list->verticalScrollBar()->value(), value);
}

TEST(UILanguagePage, AutomaticOpensAtTheTop) {
  Page p;
  probe::render(&p.page);
  EXPECT_EQ(p.page.list()->verticalScrollBar()->value(), 0);
  EXPECT_GT(p.page.list()->verticalScrollBar()->maximum(), 0);
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
  EXPECT_EQ(view.page(), page);  // still on this page
  EXPECT_EQ(page->query(), "arab");
  EXPECT_EQ(s.recentLanguages(), (QStringList{"ar", "de"}));
  EXPECT_TRUE(page->listRow(Lang("ar"))->spec().selected);
  QCoreApplication::processEvents();
  EXPECT_EQ(relayouts, 1);
  page->setQuery("");
  EXPECT_EQ(page->recent().first(), Lang("ar"));
}
