// The interface-language search inside a real frameless panel window, typed
// into with xdotool, as a user would.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QWindow>

#include "core/Settings.h"
#include "tests/support/XWindows.h"
#include "ui/language/SearchField.h"
#include "ui/language/UILanguagePage.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/MenuView.h"

using xwindows::waitUntil;
using xwindows::xdotool;

TEST(SearchPanel, TypingReachesTheSearchFieldAndThePanelRefits) {
  Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; });
  Settings& s = Settings::shared();
  MenuState state;
  state.setPage(MenuState::Page::uiLanguage);
  QWidget panel(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  MenuView* view = nullptr;
  view = new MenuView(s, state, {{}, {}, {}, {}, [&] { fitToContent(&panel, view); }}, &panel);
  fitToContent(&panel, view);
  panel.move(200, 120);
  panel.show();
  ASSERT_TRUE(waitUntil([&] { return panel.windowHandle() && panel.windowHandle()->isExposed(); }));
  // The window manager may place a new window first: put it back, as the
  // panel's owner places it after showing, and make it the key window.
  panel.move(200, 120);
  ASSERT_TRUE(waitUntil([&] { return panel.pos() == QPoint(200, 120); }));
  panel.activateWindow();
  ASSERT_TRUE(waitUntil([&] { return panel.isActiveWindow(); }));
  const int fullHeight = panel.height();

  auto* page = qobject_cast<UILanguagePage*>(view->page());
  ASSERT_TRUE(page);
  QLineEdit* edit = page->searchField()->edit();
  const QPoint target = edit->mapToGlobal(edit->rect().center());
  ASSERT_TRUE(xdotool({"mousemove", "--sync", QString::number(target.x()), QString::number(target.y()), "click", "1"}));
  ASSERT_TRUE(waitUntil([&] { return edit->hasFocus(); })) << "the panel did not take the keyboard";
  ASSERT_TRUE(xdotool({"type", "--delay", "40", "deut"}));
  ASSERT_TRUE(waitUntil([&] { return page->query() == "deut"; })) << page->query().toStdString();

  EXPECT_FALSE(page->listRow(Lang("de"))->isHidden());
  EXPECT_TRUE(page->listRow(Lang("fr"))->isHidden());
  ASSERT_TRUE(waitUntil([&] { return panel.height() < fullHeight; })) << "the shorter list makes the panel fit again";
  EXPECT_EQ(panel.size(), view->sizeHint());

  // Backspace back to empty brings the whole list back, and the panel grows again.
  ASSERT_TRUE(xdotool({"key", "BackSpace", "BackSpace", "BackSpace", "BackSpace"}));
  ASSERT_TRUE(waitUntil([&] { return page->query().isEmpty() && panel.height() == fullHeight; }));
  Lang::setPreferredLanguagesSource({});
}
