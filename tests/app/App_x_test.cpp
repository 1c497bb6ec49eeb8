// The program as a user meets it, on a private X session with a window
// manager and a tray host; xdotool is the user's hands, xclip reads the clipboard.
#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <QFont>
#include <QPainter>
#include <memory>

#include "capture/Still.h"
#include "platform/ActiveWindow.h"
#include "tests/app/XApp.h"
#include "tests/recognition/CodeImages.h"

using xapp::App;
using xwindows::PictureWindow;
using xapp::xdotool;

namespace {

QString arg(int v) { return QString::number(v); }

// The toast: the window named "tarvok" that the window manager keeps (the
// capture's marker has the same name but bypasses it); no id while there is none.
xapp::Shown toastOnScreen() {
  xwindows::Probe x;
  for (const xapp::Shown& s : xapp::shown(QStringLiteral("tarvok")))
    if (x.listed(s.id)) return s;
  return {};
}

// The open menu; no id while there is none.
xapp::Shown menuOnScreen() {
  const auto all = xapp::shown(QStringLiteral("tarvok menu"));
  return all.empty() ? xapp::Shown{} : all.front();
}

// Waits until the window manager has given `window` the input focus. Our
// windows ask for it when they open or are clicked, and get it a moment
// later; keys sent before then go to the window that had it.
::testing::AssertionResult keyboardComesTo(const xapp::Shown& window) {
  xwindows::Probe x;
  if (xapp::waitUntil([&] { return x.focus() == window.id; })) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "the keyboard did not come to " << window.id << "; the focus is on "
                                       << x.focus();
}

// A click on the card hands the toast the keyboard.
::testing::AssertionResult clickCardForKeys(const xapp::Shown& toast) {
  xdotool({"mousemove", arg(toast.rect.left() + 40), arg(toast.rect.top() + 30), "click", "1"});
  return keyboardComesTo(toast);
}

// Saves a picture of the whole screen when TARVOK_SHOT_DIR names a folder.
void shot(const QString& name) {
  const QString dir = qEnvironmentVariable("TARVOK_SHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  xwindows::Probe x;
  capture::grabRoot(x.conn(), x.onScreen(x.root()))
      .save(dir + QLatin1Char('/') + name + QLatin1Char('-') + qEnvironmentVariable("TARVOK_XSESSION_MODE") +
            QStringLiteral(".png"));
}

// Rows of cells, black on white in a plain face, and a QR code at the right when asked for.
QImage picture(const std::vector<QStringList>& rows, QSize size, int px = 30, bool withCode = false) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  if (withCode)
    codeimages::draw(image, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.com/pay"),
                     size.width() - 150, 20, 4);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(px);
  p.setFont(font);
  p.setPen(Qt::black);
  for (size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < rows[r].size(); ++c) p.drawText(30 + 210 * c, 50 + int(r) * (px + 25), rows[r][c]);
  return image;
}

// The program, started once for the suite.
class AppX : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    app_ = new App(QStringLiteral("app"));
    app_->start();
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(app_->running()) << app_->log().constData();
    ASSERT_TRUE(app_->waitLog("registered")) << app_->log().constData();
  }
  void TearDown() override {
    if (HasFailure()) std::fprintf(stderr, "--- log of the program ---\n%s\n", app_->log().constData());
    xdotool({"key", "Escape"});
  }

  // Presses the hot key and waits until the frozen screen takes the mouse.
  static ::testing::AssertionResult openOverlay() {
    const int before = app_->count("overlay up");
    xdotool({"key", "ctrl+shift+2"});
    if (!app_->waitLog("overlay up", before + 1)) return ::testing::AssertionFailure() << "no overlay";
    xapp::pump(100);
    return ::testing::AssertionSuccess();
  }

  static void drag(QPoint from, QPoint to) {
    xdotool({"mousemove", arg(from.x()), arg(from.y()), "mousedown", "1"});
    xdotool({"mousemove", arg((from.x() + to.x()) / 2), arg((from.y() + to.y()) / 2)});
    xdotool({"mousemove", arg(to.x()), arg(to.y())});
    xdotool({"mouseup", "1"});
  }

  static bool clipboardBecomes(const QByteArray& want, const QString& target = QStringLiteral("UTF8_STRING"),
                               int ms = 15000) {
    return xapp::waitUntil([&] { return xapp::clipboard(target) == want; }, ms);
  }

  static App* app_;
};

App* AppX::app_ = nullptr;

}  // namespace

TEST_F(AppX, SitsInTheTrayAndASecondStartOpensItsMenu) {
  EXPECT_TRUE(xapp::waitUntil([] { return !xapp::trayIcon().isEmpty(); }, 8000)) << "no tray icon";
  EXPECT_TRUE(xapp::visibleWindows(QStringLiteral("tarvok menu")).empty());

  EXPECT_EQ(app_->runAgain(), 0);
  ASSERT_TRUE(xapp::waitUntil([] { return !xapp::visibleWindows(QStringLiteral("tarvok menu")).empty(); }));
  const QRect menu = xapp::visibleWindows(QStringLiteral("tarvok menu")).front();
  // Under the tray icon at the top right, inside the screen.
  EXPECT_LT(menu.top(), 40);
  EXPECT_GT(menu.right(), 900);
  EXPECT_LE(menu.right(), 1280);
  shot(QStringLiteral("menu-open"));

  ASSERT_TRUE(keyboardComesTo(menuOnScreen()));
  xdotool({"key", "Escape"});
  EXPECT_TRUE(xapp::waitUntil([] { return xapp::visibleWindows(QStringLiteral("tarvok menu")).empty(); }));
  EXPECT_TRUE(app_->running());
}

TEST_F(AppX, TheTrayIconTogglesTheMenuAndEscOrAClickElsewhereClosesItGivingTheKeyboardBack) {
  auto menuOpen = [] { return !xapp::visibleWindows(QStringLiteral("tarvok menu")).empty(); };
  xwindows::UserWindow user(150);
  ASSERT_TRUE(user.waitManaged());
  ActiveWindow::activate(user.id());
  ASSERT_TRUE(xapp::waitUntil([&] { return user.focus() == user.id(); }));
  const QRect icon = xapp::trayIcon();
  ASSERT_FALSE(icon.isEmpty());
  auto clickIcon = [&] { xdotool({"mousemove", arg(icon.center().x()), arg(icon.center().y()), "click", "1"}); };

  clickIcon();
  ASSERT_TRUE(xapp::waitUntil(menuOpen)) << icon.x() << "," << icon.y() << " " << icon.width();
  EXPECT_TRUE(keyboardComesTo(menuOnScreen()));
  xapp::pump(300);
  clickIcon();
  EXPECT_TRUE(xapp::waitUntil([&] { return !menuOpen(); }));

  xapp::pump(500);
  clickIcon();
  ASSERT_TRUE(xapp::waitUntil(menuOpen));
  ASSERT_TRUE(keyboardComesTo(menuOnScreen()));
  xdotool({"key", "Escape"});
  EXPECT_TRUE(xapp::waitUntil([&] { return !menuOpen(); }));
  EXPECT_TRUE(xapp::waitUntil([&] { return user.focus() == user.id(); })) << "the keyboard did not come back";

  xapp::pump(500);
  clickIcon();
  ASSERT_TRUE(xapp::waitUntil(menuOpen));
  xdotool({"mousemove", "700", "700", "click", "1"});  // the bare desktop
  EXPECT_TRUE(xapp::waitUntil([&] { return !menuOpen(); }));
}

TEST_F(AppX, DragOverTextPutsExactlyItOnTheClipboardWithTheToastAndUndoGivesTheOldOneBack) {
  const QStringList lines{QStringLiteral("Quiet harbor lights"), QStringLiteral("Invoice 2048 paid")};
  PictureWindow doc(picture({{lines[0]}, {lines[1]}}, QSize(720, 180), 30, true), QPoint(150, 260));
  ASSERT_TRUE(doc.waitShown());
  const QByteArray before = "before \xE2\x9C\x93 caf\xC3\xA9\n";
  xapp::seedClipboard(before);
  ASSERT_TRUE(clipboardBecomes(before, QStringLiteral("UTF8_STRING"), 3000));

  ASSERT_TRUE(openOverlay());
  shot(QStringLiteral("overlay"));
  const QRect c = doc.client();
  drag(c.topLeft() + QPoint(10, 8), c.topLeft() + QPoint(500, 140));  // the text, not the code
  ASSERT_TRUE(clipboardBecomes(lines.join(QLatin1Char('\n')).toUtf8()))
      << "clipboard: " << xapp::clipboard().constData();
  EXPECT_TRUE(app_->waitLog("signal dropped: capture.done"));
  // The toast, at the top right.
  xapp::Shown toast;
  ASSERT_TRUE(xapp::waitUntil([&] { return (toast = toastOnScreen()).id != XCB_NONE; }));
  EXPECT_LT(toast.rect.top(), 40);
  EXPECT_GT(toast.rect.right(), 1200);
  xapp::pump(400);
  shot(QStringLiteral("toast-after-capture"));

  // Undo from the toast's keys.
  ASSERT_TRUE(clickCardForKeys(toast));
  xdotool({"key", "ctrl+z"});
  EXPECT_TRUE(clipboardBecomes(before, QStringLiteral("UTF8_STRING"), 5000))
      << "clipboard: " << xapp::clipboard().toHex().constData();
}

// Undo takes back only tarvok's own copy: a copy made afterwards in another
// program stays, also when a cancelled capture brings the old toast back.
TEST_F(AppX, UndoLeavesACopyMadeAfterTheResultAlone) {
  const QByteArray text = "Quiet harbor lights";
  PictureWindow doc(picture({{QString::fromUtf8(text)}}, QSize(560, 110), 30), QPoint(150, 420));
  ASSERT_TRUE(doc.waitShown());
  auto step = [](const char* what) {
    std::printf("clipboard after %s: \"%s\"\n", what, xapp::clipboard().constData());
  };
  // The card of the toast, with the pointer resting on it so that it stays.
  auto holdToast = [] {
    xapp::Shown toast;
    xapp::waitUntil([&] { return (toast = toastOnScreen()).id != XCB_NONE; });
    if (toast.id) xdotool({"mousemove", arg(toast.rect.left() + 40), arg(toast.rect.top() + 30)});
    return toast;
  };

  const int restored = app_->count("undo put the earlier clipboard back");
  for (const bool throughCancel : {false, true}) {
    SCOPED_TRACE(throughCancel ? "toast back after a cancelled capture" : "toast still up");
    xapp::seedClipboard("before");
    ASSERT_TRUE(clipboardBecomes("before", QStringLiteral("UTF8_STRING"), 3000));
    step("seeding");
    ASSERT_TRUE(openOverlay());
    const QRect c = doc.client();
    drag(c.topLeft() + QPoint(10, 8), c.topLeft() + QPoint(520, 100));
    ASSERT_TRUE(clipboardBecomes(text)) << "clipboard: " << xapp::clipboard().constData();
    step("the capture");
    xapp::Shown toast = holdToast();
    ASSERT_NE(toast.id, XCB_NONE);

    const QByteArray newer = throughCancel ? "newer copy, then a cancelled capture" : "newer copy";
    xapp::seedClipboard(newer);
    ASSERT_TRUE(clipboardBecomes(newer, QStringLiteral("UTF8_STRING"), 3000));
    step("copying in another program");
    if (throughCancel) {
      const int cancelled = app_->count("capture.cancelled");
      ASSERT_TRUE(openOverlay());  // our windows leave the screen for the still
      xdotool({"key", "Escape"});
      ASSERT_TRUE(app_->waitLog("capture.cancelled", cancelled + 1));
      xwindows::Probe x;
      ASSERT_TRUE(xapp::waitUntil([&] { return x.focus() == doc.id(); }))
          << "the keyboard did not go back to the window the capture started from";
      toast = holdToast();
      ASSERT_NE(toast.id, XCB_NONE) << "the toast came back";
      shot(QStringLiteral("toast-back-after-cancel"));
    }
    const int kept = app_->count("undo left the clipboard alone: it holds a newer copy");
    ASSERT_TRUE(clickCardForKeys(toast));
    xdotool({"key", "ctrl+z"});
    EXPECT_TRUE(app_->waitLog("undo left the clipboard alone: it holds a newer copy", kept + 1, 5000));
    xapp::pump(300);
    shot(throughCancel ? QStringLiteral("undo-kept-after-cancel") : QStringLiteral("undo-kept"));
    EXPECT_EQ(xapp::clipboard(), newer);
    step("Undo");
    EXPECT_EQ(app_->count("undo put the earlier clipboard back"), restored);
    xdotool({"mousemove", "700", "700"});
  }
}

// What the overlay's bar and the README tell: a click alone picks nothing
// (the overlay waits for a drag); Space, then a click, takes the whole window.
TEST_F(AppX, SpaceThenAClickTakesTheWholeWindow) {
  PictureWindow doc(picture({{QStringLiteral("Harbor window text")}}, QSize(520, 110), 30), QPoint(380, 200));
  ASSERT_TRUE(doc.waitShown());
  xapp::seedClipboard("untouched");
  const QRect c = doc.client();
  const int done = app_->count("signal dropped: capture.done");
  ASSERT_TRUE(openOverlay());
  xdotool({"mousemove", arg(c.center().x()), arg(c.center().y()), "click", "1"});
  xapp::pump(400);
  EXPECT_EQ(app_->count("signal dropped: capture.done"), done);
  EXPECT_EQ(xapp::clipboard(), "untouched") << "a click alone picks nothing";
  shot(QStringLiteral("overlay-after-a-click"));

  xdotool({"key", "space"});
  xdotool({"mousemove", arg(c.center().x() + 5), arg(c.center().y() + 5)});
  xapp::pump(200);
  shot(QStringLiteral("overlay-window-mode"));
  xdotool({"click", "1"});
  // The window with its frame: its title may come along, and how the words
  // are laid out (lines or a table) is the recogniser's business.
  EXPECT_TRUE(xapp::waitUntil([&] {
    const QByteArray got = xapp::clipboard();
    return got.contains("Harbor") && got.contains("window text");
  }, 15000))
      << "clipboard: " << xapp::clipboard().constData();
  std::printf("clipboard after Space and a click on the window: \"%s\"\n", xapp::clipboard().constData());
}

TEST_F(AppX, DragOverATablePutsTabSeparatedTextAndHtml) {
  PictureWindow doc(picture({{"Fruit", "Count", "Price"}, {"Apple", "12", "3.50"}, {"Melon", "4", "7.25"}},
                            QSize(620, 200), 26),
                    QPoint(220, 300));
  ASSERT_TRUE(doc.waitShown());
  ASSERT_TRUE(openOverlay());
  const QRect c = doc.client();
  drag(c.topLeft() + QPoint(8, 8), c.topLeft() + QPoint(600, 185));
  const QByteArray tsv = "Fruit\tCount\tPrice\nApple\t12\t3.50\nMelon\t4\t7.25";
  EXPECT_TRUE(clipboardBecomes(tsv)) << "clipboard: " << xapp::clipboard().constData();
  const QByteArray html = xapp::clipboard(QStringLiteral("text/html"));
  EXPECT_TRUE(html.contains("<table")) << html.constData();
  EXPECT_TRUE(html.contains("Melon")) << html.constData();
}

TEST_F(AppX, AWindowWithTwoCodesPutsTheirPayloadsOnTheClipboardBeforeItsCaption) {
  const QString caption = QStringLiteral("Scan the left code for the guide, the right one to join");
  PictureWindow page(codeimages::twoCodesWithCaption("https://example.org/wifi", "WIFI:S:Guest;T:WPA;P:tarvok42;;",
                                                     caption),
                     QPoint(200, 200));
  ASSERT_TRUE(page.waitShown());
  ASSERT_TRUE(openOverlay());
  const QRect c = page.client();
  drag(c.topLeft() + QPoint(4, 4), c.bottomRight() - QPoint(4, 4));
  const QByteArray want = "https://example.org/wifi\nWIFI:S:Guest;T:WPA;P:tarvok42;;\n" + caption.toUtf8();
  EXPECT_TRUE(clipboardBecomes(want)) << "clipboard: " << xapp::clipboard().constData();
}

TEST_F(AppX, EmptyAreaShowsTheEmptyToastAndLeavesTheClipboardAlone) {
  PictureWindow blank(picture({}, QSize(400, 200)), QPoint(300, 300));
  ASSERT_TRUE(blank.waitShown());
  const QByteArray before = "keep me";
  xapp::seedClipboard(before);
  const int empties = app_->count("capture.empty");
  ASSERT_TRUE(openOverlay());
  const QRect c = blank.client();
  drag(c.topLeft() + QPoint(20, 20), c.topLeft() + QPoint(380, 180));
  ASSERT_TRUE(app_->waitLog("capture.empty", empties + 1, 15000));
  EXPECT_EQ(xapp::clipboard(), before);
}

TEST_F(AppX, EscCancelsAndAHeldHotKeyOpensOneOverlay) {
  const int started = app_->count("capture.started"), cancelled = app_->count("capture.cancelled");
  const int overlays = app_->count("overlay up"), done = app_->count("capture.done");
  xdotool({"keydown", "ctrl+shift+2"});
  xapp::pump(700);  // long enough for the key to repeat
  xdotool({"keyup", "ctrl+shift+2"});
  ASSERT_TRUE(app_->waitLog("overlay up", overlays + 1));
  xapp::pump(200);
  EXPECT_EQ(app_->count("capture.started"), started + 1);
  xdotool({"key", "Escape"});
  EXPECT_TRUE(app_->waitLog("capture.cancelled", cancelled + 1));
  EXPECT_EQ(app_->count("overlay up"), overlays + 1);
  EXPECT_EQ(app_->count("capture.done"), done);
}

// Another program holds Ctrl+Shift+2 before tarvok starts.
TEST(AppConflictX, ATakenHotKeyLeadsToTheConflictToast) {
  xcb_connection_t* other = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
  // The key of "2" (evdev 3 + 8) with Ctrl and Shift, as the program would grab it.
  xcb_void_cookie_t grab = xcb_grab_key_checked(other, 1, root, XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_SHIFT, 11,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
  ASSERT_EQ(xcb_request_check(other, grab), nullptr);

  App app(QStringLiteral("conflict"));
  app.start();
  EXPECT_TRUE(app.waitLog("not available: taken by another program")) << app.log().constData();
  // The conflict toast, 0.8 s after the launch.
  EXPECT_TRUE(xapp::waitUntil([] { return toastOnScreen().id != XCB_NONE; }, 5000));
  shot(QStringLiteral("conflict-toast"));
  EXPECT_EQ(app.stop(), "exit 0");
  xcb_disconnect(other);
}

// A relaunch starts the new copy while the old one still runs: the new one
// waits for it to end instead of handing the launch back to it.
TEST(AppRelaunchX, TheNewCopyWaitsForTheOldOneAndThenTakesOver) {
  App old(QStringLiteral("relaunch"));
  old.start();
  ASSERT_TRUE(old.waitLog("registered")) << old.log().constData();
  App fresh(QStringLiteral("relaunch"));
  fresh.start({}, {{QStringLiteral("TARVOK_RELAUNCHED_FROM"), QString::number(old.pid())}});
  xapp::pump(600);
  EXPECT_TRUE(fresh.running());  // waiting, not handed over
  EXPECT_EQ(old.count("started again"), 0);

  EXPECT_EQ(old.stop(), "exit 0");
  ASSERT_TRUE(fresh.waitLog("registered")) << fresh.log().constData();
  // It is the running copy now: another start opens its menu.
  EXPECT_EQ(fresh.runAgain(), 0);
  EXPECT_TRUE(fresh.waitLog("started again"));
  EXPECT_EQ(fresh.stop(), "exit 0");
}
