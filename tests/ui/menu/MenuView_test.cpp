#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QStandardPaths>

#include "core/Ink.h"
#include "core/Settings.h"
#include "platform/Appearance.h"
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
    const int y = img.height() / 2;
    int left = -1, right = -1;
    for (int x = 0; x < img.width(); ++x) {
      if (qAlpha(img.pixel(x, y)) == 255) {
        if (left < 0) left = x;
        right = x;
      }
    }
    return (right - left + 1) / probe::kDpr;
  }
  QPointF centreOf(QWidget* w) const { return w->mapTo(&view, QRectF(w->rect()).center()); }
};

QByteArray catalogue(const QJsonObject& texts) { return QJsonDocument(texts).toJson(); }

}  // namespace

TEST(MenuWidth, ClampsBetweenShortAndLongTextsAndLanguagePagesAre232) {
  testenv::FakeBundle bundle;
  bundle.writeCatalog("de", catalogue({{"_name", "Deutsch"},
                                       {"joinLines", "Zeilen zu einem einzigen langen Absatz zusammenfügen, bitte"}}));
  bundle.writeCatalog("nl", catalogue({{"_name", "N"}, {"appName", "t"}, {"tagline", "t"}, {"pick", "P"},
                                       {"change", "c"}, {"openAtLogin", "o"}, {"joinLines", "j"}, {"tables", "t"},
                                       {"reports", "r"}, {"language", "l"}, {"ocrMode", "m"}, {"modeFast", "f"},
                                       {"modeAccurate", "a"}, {"about", "a"}, {"quit", "q"}}));
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
  const auto* shortcut = m.part<PickRow>("pick")->shortcutButton();
  EXPECT_GE(shortcut->mapTo(&m.view, QPoint(0, 0)).x(), MenuView::kOuter + MenuView::kInset + 60);

  m.state.setPage(MenuState::Page::language);
  EXPECT_EQ(m.drawnPlateWidth(), 232);
  EXPECT_EQ(m.view.sizeHint().width(), 232 + 2 * MenuView::kOuter);
  m.state.setPage(MenuState::Page::uiLanguage);
  EXPECT_EQ(m.drawnPlateWidth(), 232);
}

TEST(MenuView, FastModeDimsTheTablesRowWhichThenIgnoresClicks) {
  Menu m;
  auto* tables = m.part<ToggleRow>("tables");
  QImage img = m.render();
  // Inside the box's fill, clear of its border and tick.
  const QPointF box = tables->check()->mapTo(&m.view, QPointF(23 + 2.5, 7.5 + 10));
  EXPECT_TRUE(near(at(img, box), Ink::seal()));

  probe::click(m.part<ModeRow>("mode")->fastChip());
  EXPECT_TRUE(m.s.fastMode());
  EXPECT_EQ(m.ran, QStringList{"warmUp"});
  img = m.render();
  EXPECT_TRUE(near(at(img, box), probe::blend(Ink::seal(), Ink::panel(), 0.45), 3)) << at(img, box);
  probe::click(tables->check());
  EXPECT_TRUE(m.s.tables());  // nothing changed

  probe::click(m.part<ModeRow>("mode")->fastChip());  // again: stored and warmed up again
  EXPECT_EQ(m.ran, (QStringList{"warmUp", "warmUp"}));
  probe::click(m.part<ModeRow>("mode")->accurateChip());
  EXPECT_FALSE(m.s.fastMode());
  EXPECT_EQ(m.ran.size(), 2);
  img = m.render();
  EXPECT_TRUE(near(at(img, box), Ink::seal()));
  probe::click(tables->check());
  EXPECT_FALSE(m.s.tables());
}

TEST(MenuView, PlateFollowsLightAndDark) {
  Menu m;
  const QPointF blank(MenuView::kOuter + 3, m.view.sizeHint().height() / 2.0);
  Appearance::setForced(false);
  EXPECT_TRUE(near(at(m.render(), blank), Ink::panel(false), 1));
  Appearance::setForced(true);
  const QImage dark = m.render();
  EXPECT_TRUE(near(at(dark, blank), Ink::panel(true), 1));
  // Rows repaint in the dark inks too: the pick row's fill over the dark panel.
  const QPointF pick = m.centreOf(m.part("pick")) - QPointF(40, 10);
  EXPECT_TRUE(near(at(dark, pick), probe::blend(QColor(Ink::fill(true).rgb()), Ink::panel(true), Ink::fill(true).alphaF()), 3));
  Appearance::setForced(std::nullopt);
}

TEST(MenuView, ArabicMirrorsRowsButNotCapsOrCheckFigures) {
  Menu m;
  auto* tables = m.part<ToggleRow>("tables");
  auto* shortcut = m.part<PickRow>("pick")->shortcutButton();
  const QImage ltr = m.render();
  const QPointF boxLtr = tables->check()->mapTo(&m.view, QPointF(36 - 13, 7.5));
  const qreal capsW = kit::keycap::rowWidth(m.s.shortcut().caps());
  const QPointF capsLtr = shortcut->mapTo(&m.view, QPointF(shortcut->width() - 8 - capsW, 8));

  m.s.setLanguage(Lang("ar"));
  EXPECT_EQ(m.view.layoutDirection(), Qt::RightToLeft);
  const QImage rtl = m.render();
  tables = m.part<ToggleRow>("tables");
  const QPointF boxRtl = tables->check()->mapTo(&m.view, QPointF(0, 7.5));
  EXPECT_LT(boxRtl.x(), m.view.width() / 2);  // the box went to the left
  EXPECT_GT(boxLtr.x(), m.view.width() / 2);
  EXPECT_EQ(probe::crop(rtl, {boxRtl, QSizeF(13, 13)}), probe::crop(ltr, {boxLtr, QSizeF(13, 13)}));

  const QPointF capsRtl = shortcut->mapTo(&m.view, QPointF(8, 8));
  EXPECT_LT(capsRtl.x(), m.view.width() / 2);
  EXPECT_EQ(probe::crop(rtl, {capsRtl, QSizeF(capsW, 16)}), probe::crop(ltr, {capsLtr, QSizeF(capsW, 16)}));
  for (auto* heading : m.view.page()->findChildren<SectionHeader*>()) EXPECT_EQ(heading->letterSpacing(), 0);

  // The pages follow: the OCR page's back chevron and rows are mirrored too.
  m.state.setPage(MenuState::Page::language);
  m.settle();
  auto* manual = m.part<QWidget>("manual");
  EXPECT_EQ(manual->layoutDirection(), Qt::RightToLeft);
}

TEST(MenuView, PagesSwitchAndEachSwitchAsksForOneRelayout) {
  Menu m;
  m.settle();
  EXPECT_EQ(m.relayouts, 0);  // nothing for the initial state
  probe::click(m.part("language"));
  EXPECT_EQ(m.state.page(), MenuState::Page::language);
  m.settle();
  EXPECT_EQ(m.relayouts, 1);
  ASSERT_TRUE(qobject_cast<LanguagePage*>(m.view.page()));

  probe::click(m.part("uiLanguage"));
  m.settle();
  ASSERT_TRUE(qobject_cast<UILanguagePage*>(m.view.page()));
  EXPECT_EQ(m.relayouts, 2);
  probe::click(m.part("back"));
  m.settle();
  EXPECT_EQ(m.state.page(), MenuState::Page::language);
  probe::click(m.part("back"));
  m.settle();
  EXPECT_EQ(m.state.page(), MenuState::Page::main);
  EXPECT_EQ(m.relayouts, 4);
  ASSERT_TRUE(qobject_cast<MainPage*>(m.view.page()));
}

TEST(MenuView, RelayoutFollowsSizeChangesAndTheWatchedPreferences) {
  Menu m;
  m.settle();
  m.s.setJoinLines(true);  // no change of size
  m.settle();
  EXPECT_EQ(m.relayouts, 0);

  const int before = m.view.sizeHint().height();
  m.s.setShortcutNote(QString("Ctrl+Shift+2 is taken by another app."));
  m.settle();
  EXPECT_EQ(m.relayouts, 1);
  EXPECT_GT(m.view.sizeHint().height(), before);
  m.s.setShortcutNote(std::nullopt);
  m.settle();
  EXPECT_EQ(m.relayouts, 2);

  // Watched preferences ask even when the size stays; several in one turn ask once.
  m.s.setFastMode(true);
  m.s.setFastMode(false);
  m.s.setLanguage(Lang("de"));
  m.settle();
  EXPECT_EQ(m.relayouts, 3);

  m.state.setPage(MenuState::Page::language);
  m.settle();
  const int auto_ = m.view.sizeHint().height();
  m.s.setOcrManual(true);
  m.settle();
  EXPECT_EQ(m.relayouts, 5);
  EXPECT_GT(m.view.sizeHint().height(), auto_ + 100);  // the language list came in
}

TEST(MenuView, RowsRunTheirActions) {
  Menu m;
  m.render();
  probe::click(m.part<PickRow>("pick")->pickButton());
  probe::click(m.part<PickRow>("pick")->shortcutButton());
  probe::click(m.part("about"));
  probe::click(m.part("quit"));
  QKeyEvent ctrlQ(QEvent::KeyPress, Qt::Key_Q, Qt::ControlModifier);
  QApplication::sendEvent(&m.view, &ctrlQ);
  EXPECT_EQ(m.ran, (QStringList{"capture", "record", "about", "quit", "quit"}));
}

TEST(MenuView, OpenAtLoginWritesTheAutostartEntryAndSpringsBackWhenRefused) {
  const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  ASSERT_TRUE(config.contains("tarvok-test"));  // never the user's real folder
  Menu m;
  auto* login = m.part<ToggleRow>("openAtLogin");
  EXPECT_FALSE(m.view.login());
  probe::click(login->check());
  EXPECT_TRUE(m.view.login());
  EXPECT_TRUE(login->check()->isOn());
  EXPECT_TRUE(QFile::exists(config + "/autostart/tarvok.desktop"));
  probe::click(login->check());
  EXPECT_FALSE(m.view.login());
  EXPECT_FALSE(QFile::exists(config + "/autostart/tarvok.desktop"));

  // A file where the autostart folder should be: the entry cannot be written.
  QDir(config + "/autostart").removeRecursively();
  QFile blocker(config + "/autostart");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  probe::click(login->check());
  EXPECT_FALSE(m.view.login());
  EXPECT_FALSE(login->check()->isOn());
  const QImage img = m.render();
  EXPECT_TRUE(near(at(img, login->check()->mapTo(&m.view, QPointF(36 - 6.5, 14))), Ink::panel(), 2));

  // A view built later reads the real state.
  QFile::remove(config + "/autostart");
  ASSERT_TRUE(LoginItem::setEnabled(true));
  Menu again;
  EXPECT_TRUE(again.view.login());
}

TEST(MenuView, FitToContentSizesTheHostAroundTheView) {
  Menu m;
  QWidget host;
  m.view.setParent(&host);
  const QSize fitted = fitToContent(&host, &m.view);
  EXPECT_EQ(fitted, m.view.sizeHint());
  EXPECT_EQ(host.size(), fitted);
  EXPECT_EQ(m.view.geometry(), QRect(QPoint(0, 0), fitted));
  m.s.setRecording(true);  // the record hint adds a line
  EXPECT_GT(fitToContent(&host, &m.view).height(), fitted.height());
  EXPECT_EQ(m.view.plateShape().boundingRect(), QRectF(m.view.rect()).adjusted(18, 18, -18, -18));
  m.view.setParent(nullptr);
}
