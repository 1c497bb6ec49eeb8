// The controller on Qt's offscreen platform with an injected clock and
// pointer: hide times, hover, fades (with a compositor pinned on), placement,
// the actions and the keys.
#include "toast/ToastController.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>

#include "tests/support/TestEnv.h"
#include "tests/toast/Samples.h"
#include "toast/Fade.h"
#include "toast/ToastKeys.h"
#include "toast/ToastPanel.h"
#include "ui/kit/StillHold.h"

namespace {

using Kind = ToastModel::Kind;
using samples::clipboardText;

// A controller whose time and pointer the test moves by hand.
struct Rig {
  double now = 1000;
  QPoint pointer{10, 550};  // far from the top-right corner
  ToastController toast;
  Rig() {
    toast.setClock([this] { return now; });
    toast.setPointerSource([this] { return pointer; });
  }
  // Runs the poll at a moment `seconds` after now.
  void tickAt(double seconds) {
    now += seconds;
    toast.tick();
  }
  void fadeAt(double seconds) {
    now += seconds;
    toast.fade()->step();
  }
  bool visible() const { return toast.panel() && toast.panel()->isVisible(); }
  ToastModel& model() { return toast.model(); }
};

Recognized textOf(int characters) { return samples::lines({QString(characters, QLatin1Char('a'))}); }

// Records URLs handed to the desktop instead of opening them.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  UrlCatcher() { QDesktopServices::setUrlHandler("https", this, "handle"); }
  ~UrlCatcher() override { QDesktopServices::unsetUrlHandler("https"); }
  QList<QUrl> urls;
 public slots:
  void handle(const QUrl& url) { urls << url; }
};

}  // namespace

TEST(ToastController, AnUntouchedToastHidesAtTheFirstPollAfterItsTime) {
  // A result stays longer the more there is to read, up to 8 s.
  for (const auto& [chars, seconds] : {std::pair{0, 3.0}, {50, 5.0}, {300, 8.0}}) {
    Rig rig;
    rig.toast.show(Kind::picked, textOf(chars), ClipboardBackup{});
    rig.tickAt(seconds - 0.05);
    EXPECT_TRUE(rig.visible()) << chars;
    rig.tickAt(0.1);
    EXPECT_FALSE(rig.visible()) << chars;
    EXPECT_FALSE(rig.toast.polling());
    EXPECT_EQ(rig.toast.phase(), ToastController::Phase::hidden);
  }
}

// A capture hides our windows for its still and shows them again when it
// ends (Esc, an error). A toast whose time ran out meanwhile stays hidden; one
// still within its time comes back and hides when its time is up.
TEST(ToastController, ATimeThatRunsOutWhileTheToastIsHeldForAStillKeepsItHidden) {
  Rig rig;
  rig.toast.show(Kind::picked, textOf(50), ClipboardBackup{});
  stillhold::hold(rig.toast.panel());
  rig.tickAt(9);
  EXPECT_FALSE(rig.toast.polling());
  stillhold::release(rig.toast.panel());
  EXPECT_FALSE(rig.visible());

  rig.toast.show(Kind::picked, textOf(50), ClipboardBackup{});
  stillhold::hold(rig.toast.panel());
  rig.tickAt(1);
  stillhold::release(rig.toast.panel());
  EXPECT_TRUE(rig.visible());
  rig.tickAt(4.1);
  EXPECT_FALSE(rig.visible());
}

TEST(ToastController, PointingWithinFourPixelsKeepsItAndEnlargesThePreview) {
  Rig rig;
  QStringList rows;
  for (int i = 0; i < 8; ++i) rows << QStringLiteral("line %1").arg(i);
  rig.toast.show(Kind::picked, samples::lines(rows), ClipboardBackup{});
  const QRect frame = rig.toast.panel()->geometry();
  const int heightBefore = rig.toast.view()->sizeHint().height();
  rig.pointer = QPoint(frame.x() - 4, frame.center().y());
  rig.tickAt(0.1);
  EXPECT_TRUE(rig.model().hovering());
  EXPECT_GT(rig.toast.view()->sizeHint().height(), heightBefore) << "ten lines while hovered";
  rig.tickAt(20);
  EXPECT_TRUE(rig.visible());

  rig.pointer = QPoint(frame.x() - 5, frame.center().y());
  rig.tickAt(0.1);
  EXPECT_FALSE(rig.model().hovering());
  EXPECT_TRUE(rig.visible()) << "1.2 s of grace after the pointer leaves";
  rig.tickAt(1.2);
  EXPECT_FALSE(rig.visible());

  // Other kinds are kept up by the pointer too, but never enlarge.
  rig.toast.show(Kind::empty);
  rig.pointer = rig.toast.panel()->geometry().center();
  rig.tickAt(30);
  EXPECT_TRUE(rig.visible());
  EXPECT_FALSE(rig.model().hovering());
}

TEST(ToastController, EditingKeepsTheToastUpAndSavesTheDraft) {
  samples::SettingsScope scope;
  Settings::shared().setLanguage(Lang("en"));
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  Rig rig;
  rig.toast.show(Kind::picked, samples::lines({"draft me"}), ClipboardBackup{});
  rig.toast.actions().edit();
  EXPECT_EQ(rig.model().draft(), "draft me");
  rig.tickAt(60);
  EXPECT_TRUE(rig.visible());

  rig.model().setDraft(QString());
  rig.toast.actions().commitEdit();
  EXPECT_FALSE(rig.model().editing());
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasText());
  EXPECT_EQ(clipboardText(), "") << "an empty draft is saved as an empty text";
  EXPECT_EQ(rig.model().meta(), "Edited · 0 characters");
  EXPECT_TRUE(log.contains("toast.edit"));

  rig.toast.actions().edit();
  rig.model().setDraft("thrown away");
  rig.toast.actions().cancelEdit();
  EXPECT_FALSE(rig.model().editing());
  EXPECT_EQ(clipboardText(), "");
}

TEST(ToastController, ShowingAgainDuringTheFadeOutKeepsTheToast) {
  samples::SettingsScope scope;
  Compositor::setForced(true);
  Rig rig;
  rig.toast.show(Kind::picked, textOf(10), ClipboardBackup{});
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 0) << "fades in";
  rig.fadeAt(0.16);
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 1);

  // A second result while fully shown: updated in place, no new fade, a new stamp.
  const QUuid stamp = rig.model().stampID();
  rig.toast.show(Kind::picked, textOf(20), ClipboardBackup{});
  EXPECT_NE(rig.model().stampID(), stamp);
  EXPECT_FALSE(rig.toast.fade()->running());

  rig.toast.hide();
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::fadingOut);
  rig.fadeAt(0.1);
  EXPECT_LT(rig.toast.panel()->windowOpacity(), 1);
  rig.toast.show(Kind::working);  // e.g. the capture started by "same spot again"
  rig.fadeAt(0.25);               // past the end of the old fade-out
  EXPECT_TRUE(rig.visible());
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::shown);
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 1);

  // Shown again before the fade-out's first frame (opacity still 1): the
  // fade-out must not carry on to an invisible toast.
  rig.toast.hide();
  rig.toast.show(Kind::working);
  rig.fadeAt(0.35);
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::shown);
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 1);

  rig.toast.hide();
  rig.fadeAt(0.31);
  EXPECT_FALSE(rig.visible());

  // Without a compositor a window cannot be translucent: no fades at all.
  Compositor::setForced(false);
  rig.toast.show(Kind::picked, textOf(10), ClipboardBackup{});
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 1);
  rig.toast.hide();
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::hidden);
  EXPECT_FALSE(rig.visible());
}

TEST(ToastController, AShowKeepsTheResultUnlessItBringsOne) {
  samples::SettingsScope scope;
  Settings::shared().setTables(true);
  Settings::shared().setJoinLines(true);
  Rig rig;
  ClipboardBackup backup;
  backup.items.push_back({{"text/plain", "before"}});
  const Table table = samples::table(3, 2);
  rig.toast.show(Kind::picked, samples::withTable(table), backup);
  EXPECT_TRUE(rig.model().asTable() && rig.model().joined()) << "modes start from the settings";
  EXPECT_EQ(clipboardText(), table.tsv());

  rig.toast.show(Kind::working, std::nullopt, std::nullopt, 91);
  EXPECT_EQ(rig.model().busyCPU(), 91);
  rig.toast.show(Kind::empty, std::nullopt, std::nullopt, 91);
  EXPECT_FALSE(rig.model().busyCPU()) << "a busy figure only under working";
  EXPECT_TRUE(rig.model().asTable());
  ASSERT_TRUE(rig.model().backup());
  EXPECT_EQ(clipboardText(), table.tsv()) << "only picked writes the clipboard";

  // Codes beside a table: text first, the payload leading; the table stays
  // one toggle away.
  Recognized withCode = samples::withTable(table);
  withCode.lines.insert(withCode.lines.begin(), {Piece{{}, QStringLiteral("https://pay.example")}});
  withCode.codes = {samples::code(QStringLiteral("https://pay.example"), true)};
  rig.toast.show(Kind::picked, withCode, std::nullopt);
  EXPECT_FALSE(rig.model().asTable());
  EXPECT_EQ(clipboardText(), QStringLiteral("https://pay.example c0.0 c0.1 c1.0 c1.1 c2.0 c2.1"));
  rig.toast.actions().toggleTable();
  EXPECT_EQ(clipboardText(), table.tsv());

  Settings::shared().setTables(false);
  rig.toast.show(Kind::picked, samples::withTable(table), std::nullopt);
  EXPECT_FALSE(rig.model().asTable());
  EXPECT_FALSE(rig.model().backup()) << "a new result brings its own backup, none included";
}

TEST(ToastController, ActionsRewriteTheClipboardAndReport) {
  samples::SettingsScope scope;
  Settings::shared().setJoinLines(false);
  Settings::shared().setTables(true);
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  Rig rig;
  ClipboardBackup backup;
  backup.items.push_back({{"text/plain", "what was there"}, {"image/png", "PNG"}});
  rig.toast.show(Kind::picked, samples::withTable(samples::table(2, 2)), backup);
  const ToastView::Actions a = rig.toast.actions();

  a.toggleTable();
  EXPECT_TRUE(log.contains("toast.table to=text"));
  EXPECT_EQ(clipboardText(), "c0.0 c0.1\nc1.0 c1.1");
  a.toggleJoin();
  EXPECT_TRUE(log.contains("toast.join to=one"));
  EXPECT_EQ(clipboardText(), "c0.0 c0.1 c1.0 c1.1");

  rig.now += 3;
  a.undo();
  EXPECT_TRUE(log.contains("toast.undo"));
  EXPECT_EQ(rig.model().kind(), Kind::undone);
  EXPECT_EQ(clipboardText(), "what was there");
  EXPECT_EQ(samples::clip("image/png"), "PNG");
  EXPECT_DOUBLE_EQ(*rig.toast.hideAt(), rig.now + 1.2);

  rig.toast.show(Kind::picked, samples::lines({"kept"}), std::nullopt);
  a.undo();
  EXPECT_EQ(rig.model().kind(), Kind::nothingToRestore);
  EXPECT_EQ(clipboardText(), "kept") << "without a backup, undo only changes the toast";
}

// Undo takes back only what the toast itself put on the clipboard.
TEST(ToastController, UndoNeverReplacesANewerCopy) {
  samples::SettingsScope scope;
  Settings::shared().setTables(true);
  Rig rig;
  ClipboardBackup backup;
  backup.items.push_back({{"text/plain", "older"}});
  const ToastView::Actions a = rig.toast.actions();

  rig.toast.show(Kind::picked, samples::lines({"result"}), backup);
  QGuiApplication::clipboard()->setText(QStringLiteral("newer"));  // the user copies something else
  a.undo();
  EXPECT_EQ(rig.model().kind(), Kind::newerKept);
  EXPECT_EQ(clipboardText(), "newer");
  EXPECT_DOUBLE_EQ(*rig.toast.hideAt(), rig.now + 1.2);

  // A newer copy wins over a missing backup too: the toast tells of the copy.
  rig.toast.show(Kind::picked, samples::lines({"no backup"}), std::nullopt);
  QGuiApplication::clipboard()->clear();
  a.undo();
  EXPECT_EQ(rig.model().kind(), Kind::newerKept);

  // Rewrites by the toast itself (table, edit) are still ours.
  rig.toast.show(Kind::picked, samples::withTable(samples::table(2, 2)), backup);
  a.toggleTable();
  rig.model().setDraft(QStringLiteral("edited"));
  a.commitEdit();
  ASSERT_EQ(clipboardText(), "edited");
  a.undo();
  EXPECT_EQ(rig.model().kind(), Kind::undone);
  EXPECT_EQ(clipboardText(), "older");
}

TEST(ToastController, OpenFollowsOnlyALinkAndSameSpotHidesFirst) {
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  UrlCatcher catcher;
  Rig rig;
  rig.toast.show(Kind::picked, samples::lines({"no link here"}), ClipboardBackup{});
  rig.toast.actions().open();
  EXPECT_TRUE(rig.visible() && catcher.urls.isEmpty()) << "without a link nothing happens";

  rig.toast.show(Kind::picked, samples::lines({"https://example.com/x"}), ClipboardBackup{});
  rig.toast.actions().open();
  EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl("https://example.com/x")});
  EXPECT_TRUE(log.contains("toast.open scheme=https"));
  EXPECT_FALSE(rig.visible());

  rig.toast.show(Kind::empty);
  bool hiddenFirst = false;
  rig.toast.onSameSpot = [&] { hiddenFirst = rig.toast.phase() != ToastController::Phase::shown; };
  rig.toast.actions().sameSpot();
  EXPECT_TRUE(hiddenFirst) << "the fade-out starts before the callback";
}

TEST(ToastController, KeysActOnlyWhileThePickedToastHoldsTheKeyboard) {
  Rig rig;
  rig.toast.show(Kind::picked, samples::lines({"a", "b"}), ClipboardBackup{});
  ToastPanel* panel = rig.toast.panel();
  auto press = [&](int key, Qt::KeyboardModifiers mods) {
    QKeyEvent event(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(panel, &event);
  };
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_FALSE(rig.model().joined()) << "the panel does not have the keyboard";

  panel->takeKeyboard();
  ASSERT_TRUE(testenv::waitUntil([&] { return panel->isActiveWindow(); }));
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_EQ(clipboardText(), "a b");
  rig.tickAt(60);
  EXPECT_TRUE(rig.visible()) << "kept up while it holds the keyboard";
  press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(rig.model().kind(), Kind::undone);
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_TRUE(rig.model().joined()) << "no key acts once the kind is not picked";
}

TEST(ToastController, SitsAtTheTopRightOfTheScreenUnderThePointer) {
  using Area = ToastController::ScreenArea;
  const std::vector<Area> screens{{QRect(0, 0, 1920, 1080), QRect(0, 30, 1920, 1050)},
                                  {QRect(1920, 0, 1280, 1024), QRect(1920, 24, 1280, 1000)}};
  EXPECT_EQ(ToastController::anchorFor(screens, 0, QPoint(2000, 500)), QPoint(1920 + 1280 - 16, 24 + 12));
  EXPECT_EQ(ToastController::anchorFor(screens, 0, QPoint(100, 500)), QPoint(1920 - 16, 30 + 12));
  EXPECT_EQ(ToastController::anchorFor(screens, 1, QPoint(-50, -50)), QPoint(1920 + 1280 - 16, 24 + 12))
      << "off every screen: the primary one";
  EXPECT_FALSE(ToastController::anchorFor({}, 0, QPoint()));
}

TEST(ToastKeys, CtrlAloneWithJEZAndOWhenThereIsALink) {
  using A = ToastAction;
  const auto ctrl = Qt::ControlModifier;
  EXPECT_EQ(ToastKeys::actionFor(Qt::Key_J, ctrl, false, false), A::toggleJoin);
  EXPECT_EQ(ToastKeys::actionFor(Qt::Key_E, ctrl, false, false), A::edit);
  EXPECT_EQ(ToastKeys::actionFor(Qt::Key_Z, ctrl, false, false), A::undo);
  EXPECT_EQ(ToastKeys::actionFor(Qt::Key_O, ctrl, false, true), A::open);
  EXPECT_FALSE(ToastKeys::actionFor(Qt::Key_O, ctrl, false, false));
  EXPECT_FALSE(ToastKeys::actionFor(Qt::Key_J, ctrl | Qt::ShiftModifier, false, false));
  EXPECT_FALSE(ToastKeys::actionFor(Qt::Key_J, ctrl, true, false)) << "Caps Lock";
}

#include "ToastController_test.moc"
