// The status menu's panel offscreen: the width rule, fast mode, mirroring,
// pages and the relayout requests, and open at login (light and dark: the
// snapshot program's files).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QStandardPaths>

#include "core/Ink.h"
#include "core/Settings.h"
#include "platform/LoginItem.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ViewProbe.h"
#include "ui/kit/KeyCap.h"
#include "ui/language/LanguagePage.h"
#include "ui/language/UILanguagePage.h"
#include "ui/menu/MainPage.h"
#include "ui/menu/MenuView.h"
#include "ui/menu/ModeChip.h"
#include "ui/menu/Pieces.h"
#include "ui/menu/Rows.h"
#include "ui/menu/ShortcutButton.h"

using probe::at;
using probe::near;

namespace {

struct Menu {
  Settings& s = Settings::shared();
  MenuState state;
  int relayouts = 0;
  QStringList ran;
  MenuView view{s, state,
                {[this] { ran << "capture"; }, [this] { ran << "record"; }, [this] { ran << "about"; },
                 [this] { ran << "quit"; }, [this] { ++relayouts; }}};
  Menu() { view.setWarmUp([this] { ran << "warmUp"; }); }

  template <typename W = QWidget>
  W* part(const char* name) const {
    W* w = view.page()->findChild<W*>(QString::fromLatin1(name));
    EXPECT_TRUE(w) << name;
    return w;
  }
  QImage render() { return probe::render(&view); }
  // Lets queued relayout requests and deferred deletions run.
  void settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  }
  // The plate's width as drawn: the run of opaque pixels across its middle.
  qreal drawnPlateWidth() {
    const QImage img = render();
    int left = -1, right = -1;
    for (int x = 0; x < img.width(); ++x) {
      if (qAlpha(img.pixel(x, img.height() / 2)) < 255) continue;
      if (left < 0) left = x;
      right = x;
    }
    return (right - left + 1) / probe::kDpr;
  }
  // A point of the tables row's check box, clear of its border and tick.
  QPointF tablesBox() { return part<ToggleRow>("tables")->check()->mapTo(&view, QPointF(25.5, 17.5)); }
};

}  // namespace

TEST(MenuWidth, ClampsBetweenShortAndLongTextsAndLanguagePagesAre232) {
  testenv::FakeBundle bundle;
  bundle.writeCatalog("de", QJsonDocument(QJsonObject{{"_name", "Deutsch"},
                                                      {"joinLines", "Zeilen zu einem einzigen langen Absatz zusammenfügen, bitte"}})
                                .toJson());
  QJsonObject tiny{{"_name", "N"}};
  for (const char* key : {"appName", "tagline", "pick", "change", "openAtLogin", "joinLines", "tables", "reports",
                          "language", "ocrMode", "modeFast", "modeAccurate", "about", "quit"})
    tiny[key] = "x";
  bundle.writeCatalog("nl", QJsonDocument(tiny).toJson());
  bundle.reload();
  Menu m;
  const qreal english = m.drawnPlateWidth();
  EXPECT_GT(english, 220);
  EXPECT_LT(english, 320);
  m.s.setLanguage(Lang("de"));
  EXPECT_EQ(m.drawnPlateWidth(), 320);
  m.s.setLanguage(Lang("nl"));
  EXPECT_EQ(m.drawnPlateWidth(), 220);

  // Four modifiers and a named key: the real caps widen the panel.
  m.s.setLanguage(Lang("en"));
  m.s.setShortcut(Shortcut{111, Shortcut::kAllMods});
  const qreal wide = m.drawnPlateWidth();
  EXPECT_GT(wide, english);
  EXPECT_LE(wide, 320);

  m.state.setPage(MenuState::Page::language);
  EXPECT_EQ(m.drawnPlateWidth(), 232);
  EXPECT_EQ(m.view.sizeHint().width(), 232 + 2 * MenuView::kOuter);
  m.state.setPage(MenuState::Page::uiLanguage);
  EXPECT_EQ(m.drawnPlateWidth(), 232);
}

TEST(MenuView, FastModeDimsTheTablesRowWhichThenIgnoresClicks) {
  Menu m;
  const QImage before = m.render();  // lays the rows out
  EXPECT_TRUE(near(at(before, m.tablesBox()), Ink::seal()));
  auto* mode = m.part<ModeRow>("mode");
  probe::click(mode->fastChip());
  EXPECT_TRUE(m.s.fastMode());
  EXPECT_TRUE(near(at(m.render(), m.tablesBox()), probe::blend(Ink::seal(), Ink::panel(), 0.45), 3));
  probe::click(m.part<ToggleRow>("tables")->check());
  EXPECT_TRUE(m.s.tables()) << "nothing changed";

  probe::click(mode->fastChip());  // again: stored and warmed up again
  EXPECT_EQ(m.ran, (QStringList{"warmUp", "warmUp"}));
  probe::click(mode->accurateChip());
  EXPECT_FALSE(m.s.fastMode());
  EXPECT_EQ(m.ran.size(), 2);
  EXPECT_TRUE(near(at(m.render(), m.tablesBox()), Ink::seal()));
  probe::click(m.part<ToggleRow>("tables")->check());
  EXPECT_FALSE(m.s.tables());
}

TEST(MenuView, ArabicMirrorsRowsButNotCapsOrCheckFigures) {
  Menu m;
  auto* shortcut = m.part<PickRow>("pick")->shortcutButton();
  const QImage ltr = m.render();
  const QPointF boxLtr = m.part<ToggleRow>("tables")->check()->mapTo(&m.view, QPointF(23, 7.5));
  const qreal capsW = kit::keycap::rowWidth(m.s.shortcut().caps());
  const QPointF capsLtr = shortcut->mapTo(&m.view, QPointF(shortcut->width() - 8 - capsW, 8));

  m.s.setLanguage(Lang("ar"));
  EXPECT_EQ(m.view.layoutDirection(), Qt::RightToLeft);
  const QImage rtl = m.render();
  const QPointF boxRtl = m.part<ToggleRow>("tables")->check()->mapTo(&m.view, QPointF(0, 7.5));
  EXPECT_LT(boxRtl.x(), m.view.width() / 2) << "the box went to the left";
  EXPECT_GT(boxLtr.x(), m.view.width() / 2);
  EXPECT_EQ(probe::crop(rtl, {boxRtl, QSizeF(13, 13)}), probe::crop(ltr, {boxLtr, QSizeF(13, 13)}));
  const QPointF capsRtl = shortcut->mapTo(&m.view, QPointF(8, 8));
  EXPECT_LT(capsRtl.x(), m.view.width() / 2);
  EXPECT_EQ(probe::crop(rtl, {capsRtl, QSizeF(capsW, 16)}), probe::crop(ltr, {capsLtr, QSizeF(capsW, 16)}));
  for (auto* heading : m.view.page()->findChildren<SectionHeader*>()) EXPECT_EQ(heading->letterSpacing(), 0);

  m.state.setPage(MenuState::Page::language);  // the pages follow
  m.settle();
  EXPECT_EQ(m.part("manual")->layoutDirection(), Qt::RightToLeft);
}

TEST(MenuView, EachPageSwitchAndSizeChangeAsksForOneRelayout) {
  Menu m;
  m.settle();
  EXPECT_EQ(m.relayouts, 0) << "nothing for the initial state";
  m.s.setJoinLines(true);  // no change of size
  m.settle();
  EXPECT_EQ(m.relayouts, 0);

  const int before = m.view.sizeHint().height();
  m.s.setShortcutNote(QString("Ctrl+Shift+2 is taken by another app."));
  m.settle();
  EXPECT_EQ(m.relayouts, 1);
  EXPECT_GT(m.view.sizeHint().height(), before);
  // Watched preferences ask even when the size stays; several in one turn ask once.
  m.s.setShortcutNote(std::nullopt);
  m.s.setFastMode(true);
  m.s.setFastMode(false);
  m.s.setLanguage(Lang("de"));
  m.settle();
  EXPECT_EQ(m.relayouts, 2);

  probe::click(m.part("language"));
  m.settle();
  ASSERT_TRUE(qobject_cast<LanguagePage*>(m.view.page()));
  EXPECT_EQ(m.relayouts, 3);
  const int automatic = m.view.sizeHint().height();
  m.s.setOcrManual(true);
  m.settle();
  EXPECT_EQ(m.relayouts, 4);
  EXPECT_GT(m.view.sizeHint().height(), automatic + 100) << "the language list came in";

  probe::click(m.part("uiLanguage"));
  m.settle();
  auto* search = qobject_cast<UILanguagePage*>(m.view.page());
  ASSERT_TRUE(search);
  const int all = m.view.sizeHint().height();
  search->setQuery("deut");
  m.settle();
  EXPECT_EQ(m.relayouts, 6);
  EXPECT_LT(m.view.sizeHint().height(), all) << "a search shortens the list";
  probe::click(m.part("back"));
  m.settle();
  probe::click(m.part("back"));
  m.settle();
  ASSERT_TRUE(qobject_cast<MainPage*>(m.view.page()));
  EXPECT_EQ(m.relayouts, 8);
}

TEST(MenuView, RowsRunTheirActionsAndTheHostFitsTheView) {
  Menu m;
  m.render();
  probe::click(m.part<PickRow>("pick")->pickButton());
  probe::click(m.part<PickRow>("pick")->shortcutButton());
  probe::click(m.part("about"));
  probe::click(m.part("quit"));
  QKeyEvent ctrlQ(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
  QApplication::sendEvent(&m.view, &ctrlQ);
  EXPECT_EQ(m.ran, (QStringList{"capture", "record", "about", "quit", "quit"}));

  QWidget host;
  m.view.setParent(&host);
  const QSize fitted = fitToContent(&host, &m.view);
  EXPECT_EQ(fitted, m.view.sizeHint());
  EXPECT_EQ(host.size(), fitted);
  m.s.setRecording(true);  // the record hint adds a line
  EXPECT_GT(fitToContent(&host, &m.view).height(), fitted.height());
  EXPECT_EQ(m.view.plateShape().boundingRect(), QRectF(m.view.rect()).adjusted(18, 18, -18, -18));
  m.s.setRecording(false);
  m.view.setParent(nullptr);
}

TEST(MenuView, OpenAtLoginWritesTheAutostartEntryAndSpringsBackWhenRefused) {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  ASSERT_TRUE(config.contains("tarvok-test")) << "never the user's real folder";
  const QString entry = config + "/autostart/tarvok.desktop";
  Menu m;
  auto* login = m.part<ToggleRow>("openAtLogin");
  EXPECT_FALSE(m.view.login());
  probe::click(login->check());
  EXPECT_TRUE(m.view.login() && login->check()->isOn());
  EXPECT_TRUE(QFile::exists(entry));
  probe::click(login->check());
  EXPECT_FALSE(QFile::exists(entry));

  // A file where the autostart folder should be: the entry cannot be written
  // (LoginItem's own tests go through the ways it can fail).
  QDir(config + "/autostart").removeRecursively();
  QFile blocker(config + "/autostart");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  probe::click(login->check());
  EXPECT_FALSE(m.view.login());
  EXPECT_FALSE(login->check()->isOn());
  EXPECT_TRUE(near(at(m.render(), login->check()->mapTo(&m.view, QPointF(29.5, 14))), Ink::panel(), 2));

  QFile::remove(config + "/autostart");
  ASSERT_TRUE(LoginItem::setEnabled(true));
  EXPECT_TRUE(Menu().view.login()) << "a view built later reads the real state";
}
