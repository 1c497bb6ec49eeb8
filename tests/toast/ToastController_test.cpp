// The controller on Qt's offscreen platform with an injected clock and
// pointer: hide times, hover, keep-alive, fades (with a compositor pinned on),
// placement, the actions and the keys.
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

namespace {

using Kind = ToastModel::Kind;

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
};

// Processes events until the window is the active one.
bool waitForActive(QWidget* w) {
  for (int i = 0; i < 200 && !w->isActiveWindow(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return w->isActiveWindow();
}

Recognized textOf(int characters) { return samples::lines({QString(characters, QLatin1Char('a'))}); }

QString clipboardText() {
  const QMimeData* d = QGuiApplication::clipboard()->mimeData();
  return d ? d->text() : QString();
}

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

TEST(ToastController, HideTimesPerKind) {
  EXPECT_EQ(ToastController::hideTime(Kind::working, nullptr), 30);
  EXPECT_EQ(ToastController::hideTime(Kind::picked, nullptr), 3);
  const Recognized empty;
  const Recognized fifty = textOf(50);
  const Recognized many = textOf(300);
  const Recognized at125 = textOf(125);
  EXPECT_EQ(ToastController::hideTime(Kind::picked, &empty), 3);
  EXPECT_EQ(ToastController::hideTime(Kind::picked, &fifty), 5);
  EXPECT_EQ(ToastController::hideTime(Kind::picked, &at125), 8);
  EXPECT_EQ(ToastController::hideTime(Kind::picked, &many), 8);
  EXPECT_EQ(ToastController::hideTime(Kind::empty, nullptr), 5);
  EXPECT_EQ(ToastController::hideTime(Kind::permission, nullptr), 5);
  EXPECT_EQ(ToastController::hideTime(Kind::conflict, nullptr), 5);
  EXPECT_DOUBLE_EQ(ToastController::hideTime(Kind::undone, nullptr), 2.2);
}

TEST(ToastController, AnUntouchedToastHidesAtTheFirstPollAfterItsTime) {
  for (const auto& [chars, seconds] : {std::pair{300, 8.0}, std::pair{50, 5.0}}) {
    Rig rig;
    rig.toast.show(Kind::picked, textOf(chars), ClipboardBackup{});
    ASSERT_TRUE(rig.visible());
    EXPECT_TRUE(rig.toast.polling());
    rig.tickAt(seconds - 0.05);
    EXPECT_TRUE(rig.visible()) << chars;
    rig.tickAt(0.1);
    EXPECT_FALSE(rig.visible()) << chars;
    EXPECT_FALSE(rig.toast.polling());
    EXPECT_EQ(rig.toast.phase(), ToastController::Phase::hidden);
  }
}

TEST(ToastController, PointingWithinFourPixelsKeepsItAndEnlargesThePreview) {
  Rig rig;
  QStringList rows;
  for (int i = 0; i < 8; ++i) rows << QStringLiteral("line %1").arg(i);
  rig.toast.show(Kind::picked, samples::lines(rows), ClipboardBackup{});
  const QRect frame = rig.toast.panel()->geometry();
  const int heightBefore = rig.toast.view()->sizeHint().height();
  rig.pointer = QPoint(frame.x() - 4, frame.center().y());  // 4 outside the left edge
  rig.tickAt(0.1);
  EXPECT_TRUE(rig.toast.model().hovering());
  EXPECT_GT(rig.toast.view()->sizeHint().height(), heightBefore) << "ten lines while hovered";
  rig.tickAt(20);
  EXPECT_TRUE(rig.visible());
  EXPECT_DOUBLE_EQ(*rig.toast.hideAt(), rig.now + 1.2);

  rig.pointer = QPoint(frame.x() - 5, frame.center().y());  // now outside
  rig.tickAt(0.1);
  EXPECT_FALSE(rig.toast.model().hovering());
  EXPECT_TRUE(rig.visible()) << "1.2 s of grace after the pointer leaves";
  rig.tickAt(1.2);
  EXPECT_FALSE(rig.visible());

  // Other kinds are kept up by the pointer too, but never enlarge.
  rig.toast.show(Kind::empty);
  rig.pointer = rig.toast.panel()->geometry().center();
  rig.tickAt(30);
  EXPECT_TRUE(rig.visible());
  EXPECT_FALSE(rig.toast.model().hovering());
}

TEST(ToastController, EditingKeepsTheToastUpAndSavesTheDraft) {
  samples::SettingsScope scope;
  Settings::shared().setLanguage(Lang("en"));
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  Rig rig;
  rig.toast.show(Kind::picked, samples::lines({"draft me"}), ClipboardBackup{});
  rig.toast.actions().edit();
  EXPECT_TRUE(rig.toast.model().editing());
  EXPECT_EQ(rig.toast.model().draft(), "draft me");
  rig.tickAt(60);
  EXPECT_TRUE(rig.visible());

  rig.toast.model().setDraft(QString());
  rig.toast.actions().commitEdit();
  EXPECT_FALSE(rig.toast.model().editing());
  EXPECT_EQ(rig.toast.model().edited(), QString());
  EXPECT_TRUE(QGuiApplication::clipboard()->mimeData()->hasText());
  EXPECT_EQ(clipboardText(), "") << "an empty draft is saved as an empty text";
  EXPECT_EQ(rig.toast.model().meta(), "Edited · 0 characters");
  EXPECT_TRUE(log.contains("toast.edit"));

  rig.toast.actions().edit();
  rig.toast.model().setDraft("thrown away");
  rig.toast.actions().cancelEdit();
  EXPECT_FALSE(rig.toast.model().editing());
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
  const QUuid stamp = rig.toast.model().stampID();
  rig.toast.show(Kind::picked, textOf(20), ClipboardBackup{});
  EXPECT_NE(rig.toast.model().stampID(), stamp);
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 1);
  EXPECT_FALSE(rig.toast.fade()->running());

  rig.toast.hide();
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::fadingOut);
  rig.fadeAt(0.1);
  EXPECT_LT(rig.toast.panel()->windowOpacity(), 1);
  rig.toast.show(Kind::working);  // e.g. the capture started by "same spot again"
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::shown);
  rig.fadeAt(0.25);  // past the end of the old fade-out
  EXPECT_TRUE(rig.visible());
  EXPECT_EQ(rig.toast.panel()->windowOpacity(), 1);

  rig.toast.hide();
  rig.fadeAt(0.31);
  EXPECT_FALSE(rig.visible());
  EXPECT_EQ(rig.toast.phase(), ToastController::Phase::hidden);
}

TEST(ToastController, AShowKeepsTheResultUnlessItBringsOne) {
  samples::SettingsScope scope;
  Settings::shared().setTables(true);
  Settings::shared().setJoinLines(true);
  Rig rig;
  ClipboardBackup backup;
  backup.items.push_back({{"text/plain", "before"}});
  rig.toast.show(Kind::picked, samples::withTable(samples::table(3, 2)), backup);
  EXPECT_TRUE(rig.toast.model().asTable());
  EXPECT_TRUE(rig.toast.model().joined());
  EXPECT_EQ(clipboardText(), samples::table(3, 2).tsv());

  rig.toast.show(Kind::working, std::nullopt, std::nullopt, 91);
  EXPECT_EQ(rig.toast.model().busyCPU(), 91);
  rig.toast.show(Kind::empty, std::nullopt, std::nullopt, 91);
  EXPECT_FALSE(rig.toast.model().busyCPU()) << "a busy figure only under working";
  EXPECT_TRUE(rig.toast.model().result().table);
  EXPECT_TRUE(rig.toast.model().asTable());
  ASSERT_TRUE(rig.toast.model().backup());
  EXPECT_EQ(rig.toast.model().backup()->items.size(), 1u);
  EXPECT_EQ(clipboardText(), samples::table(3, 2).tsv()) << "only picked writes the clipboard";

  Settings::shared().setTables(false);
  rig.toast.show(Kind::picked, samples::withTable(samples::table(3, 2)), std::nullopt);
  EXPECT_FALSE(rig.toast.model().asTable());
  EXPECT_FALSE(rig.toast.model().backup()) << "a new result brings its own backup, none included";
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
  EXPECT_FALSE(rig.toast.model().asTable());
  EXPECT_TRUE(log.contains("toast.table to=text"));
  EXPECT_EQ(clipboardText(), "c0.0 c0.1\nc1.0 c1.1");
  a.toggleJoin();
  EXPECT_TRUE(log.contains("toast.join to=one"));
  EXPECT_EQ(clipboardText(), "c0.0 c0.1 c1.0 c1.1");
  a.toggleJoin();
  EXPECT_TRUE(log.contains("toast.join to=lines"));

  rig.now += 3;
  a.undo();
  EXPECT_TRUE(log.contains("toast.undo"));
  EXPECT_EQ(rig.toast.model().kind(), Kind::undone);
  EXPECT_EQ(clipboardText(), "what was there");
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("image/png"), "PNG");
  EXPECT_DOUBLE_EQ(*rig.toast.hideAt(), rig.now + 1.2);

  // Without a backup, undo only changes the toast.
  rig.toast.show(Kind::picked, samples::lines({"kept"}), std::nullopt);
  a.undo();
  EXPECT_EQ(rig.toast.model().kind(), Kind::undone);
  EXPECT_EQ(clipboardText(), "kept");
}

TEST(ToastController, OpenSameSpotAndRetry) {
  testenv::LogCapture log(QStringLiteral("tarvok.reporting"));
  UrlCatcher catcher;
  Rig rig;
  rig.toast.show(Kind::picked, samples::lines({"no link here"}), ClipboardBackup{});
  rig.toast.actions().open();
  EXPECT_TRUE(rig.visible()) << "without a link nothing happens";
  EXPECT_TRUE(catcher.urls.isEmpty());

  rig.toast.show(Kind::picked, samples::lines({"https://example.com/x"}), ClipboardBackup{});
  rig.toast.actions().open();
  EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl("https://example.com/x")});
  EXPECT_TRUE(log.contains("toast.open scheme=https"));
  EXPECT_FALSE(rig.visible());

  int retries = 0;
  rig.toast.onRetryAccurate = [&] { ++retries; };
  rig.toast.show(Kind::empty);
  rig.toast.actions().retryAccurate();
  EXPECT_EQ(retries, 1);
  EXPECT_TRUE(rig.visible()) << "retry leaves the toast up";

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
    return QCoreApplication::sendEvent(panel, &event) && event.isAccepted();
  };
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_FALSE(rig.toast.model().joined()) << "the panel does not have the keyboard";

  panel->takeKeyboard();
  ASSERT_TRUE(waitForActive(panel));
  press(Qt::Key_J, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(rig.toast.model().joined());
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_TRUE(rig.toast.model().joined());
  EXPECT_EQ(clipboardText(), "a b");
  rig.tickAt(60);
  EXPECT_TRUE(rig.visible()) << "kept up while it holds the keyboard";
  press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(rig.toast.model().kind(), Kind::undone);
  press(Qt::Key_J, Qt::ControlModifier);
  EXPECT_TRUE(rig.toast.model().joined()) << "no key acts once the kind is not picked";
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

  Rig rig;
  rig.toast.show(Kind::working);
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect frame = rig.toast.panel()->geometry();
  EXPECT_EQ(frame.x() + frame.width(), avail.x() + avail.width() - 16);
  EXPECT_EQ(frame.y(), avail.y() + 12);
  EXPECT_EQ(frame.size(), rig.toast.view()->sizeHint());
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
  EXPECT_FALSE(ToastKeys::actionFor(Qt::Key_J, ctrl | Qt::KeypadModifier, false, false));
  EXPECT_FALSE(ToastKeys::actionFor(Qt::Key_J, ctrl, true, false)) << "Caps Lock";
  EXPECT_FALSE(ToastKeys::actionFor(Qt::Key_T, ctrl, false, false)) << "no key for table mode";
}

#include "ToastController_test.moc"
