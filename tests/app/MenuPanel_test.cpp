#include "app/MenuPanelControl.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>

#include "core/Settings.h"
#include "ui/about/AboutController.h"
#include "ui/menu/MenuState.h"

namespace {

struct MenuPanelTest : ::testing::Test {
  MenuState state;
  AboutController about;
  int cancels = 0;
  std::unique_ptr<MenuPanelControl> menu;

  void SetUp() override {
    MenuPanelControl::Hooks hooks;
    hooks.anchor = [] { return QRect(1000, 0, 24, 24); };
    hooks.cancelRecording = [this] {
      ++cancels;
      Settings::shared().setRecording(false);
    };
    menu = std::make_unique<MenuPanelControl>(Settings::shared(), state, about, hooks);
  }
  void TearDown() override { Settings::shared().setRecording(false); }
  // An Escape press sent to `target`; true when something took it.
  static bool escape(QWidget* target) {
    QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, 9, 0, 0);
    return QApplication::sendEvent(target, &e) && e.isAccepted();
  }
};

}  // namespace

TEST(MenuPanelPlacement, UnderTheIconOrAboveItInsideTheScreen) {
  const QRect screen(0, 24, 1280, 776);  // a top panel 24 high
  const QSize size(292, 458);
  // Centred under an icon in the middle, its top 14 above the icon's bottom.
  EXPECT_EQ(MenuPanelControl::placement(QRect(600, 0, 24, 24), size, screen), QPoint(466, 10));
  // At the far right the right edge stays 4 inside.
  EXPECT_EQ(MenuPanelControl::placement(QRect(1256, 0, 24, 24), size, screen), QPoint(1280 - 292 - 4, 10));
  EXPECT_EQ(MenuPanelControl::placement(QRect(0, 0, 24, 24), size, screen).x(), 4);  // left edge 4 inside
  // A tray at the bottom: above the icon, its bottom 14 below the icon's top.
  const QRect bottom(0, 0, 1280, 776);
  EXPECT_EQ(MenuPanelControl::placement(QRect(1000, 776, 24, 24), size, bottom), QPoint(866, 776 + 14 - 458));
  // A screen narrower than the panel: the right margin wins.
  EXPECT_EQ(MenuPanelControl::placement(QRect(100, 0, 24, 24), size, QRect(0, 0, 200, 600)).x(), 200 - 292 - 4);
}

TEST_F(MenuPanelTest, OpensOnItsMainPageEscClosesItUnlessAShortcutIsRecordedAndNoMonitorStaysBehind) {
  state.setPage(MenuState::Page::language);
  menu->show();
  menu->show();  // opened twice: one key monitor
  ASSERT_TRUE(menu->isOpen());
  EXPECT_EQ(state.page(), MenuState::Page::main);
  EXPECT_EQ(menu->panel()->y(), 24 - 14);

  Settings::shared().setRecording(true);
  escape(menu->panel());  // the recorder's
  EXPECT_TRUE(menu->isOpen());
  Settings::shared().setRecording(false);
  EXPECT_TRUE(escape(menu->panel()));
  EXPECT_FALSE(menu->isOpen());
  EXPECT_FALSE(menu->monitoring());
  // Escape reaches the program's other windows again.
  struct Keys : QWidget {
    int presses = 0;
    void keyPressEvent(QKeyEvent*) override { ++presses; }
  } other;
  other.show();
  escape(&other);
  EXPECT_EQ(other.presses, 1);
}

TEST_F(MenuPanelTest, ACaptureFromTheMenuClosesItAndEndsARecording) {
  menu->show();
  Settings::shared().setRecording(true);
  EXPECT_EQ(menu->handOver(), std::nullopt);  // nobody had the keyboard before
  EXPECT_FALSE(menu->isOpen());
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(Settings::shared().recording());
}
