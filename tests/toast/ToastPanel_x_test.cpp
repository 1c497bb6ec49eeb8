// The toast on a real X server with a window manager, with and without a
// compositor (tests/support/xsession): it must never take the keyboard from
// the user's window unless asked, and give it back when the edit ends.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>

#include "platform/ActiveWindow.h"
#include "core/Ink.h"
#include "platform/Compositor.h"
#include "tests/support/ViewProbe.h"
#include "tests/support/XWindows.h"
#include "tests/toast/Samples.h"
#include "toast/DraftEditor.h"
#include "toast/ToastButton.h"
#include "toast/ToastController.h"
#include "toast/ToastPanel.h"
#include "ui/kit/StillHold.h"
#include "ui/kit/Text.h"

namespace {

using Kind = ToastModel::Kind;
using namespace xwindows;
using samples::clipboardText;

// Moves the pointer; xdotool's --sync would wait forever for a move to where it already is.
bool moveTo(QPoint p) {
  if (QCursor::pos() == p) return true;
  return xdotool({"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())});
}

bool click(QWidget* w, QPoint local) { return moveTo(w->mapToGlobal(local)) && xdotool({"click", "1"}); }

bool clickCentre(QWidget* w) { return click(w, w->rect().center()); }

// The user is typing in another program's window when the toast comes up.
class ToastPanelX : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(user_.waitManaged());
    ASSERT_TRUE(ActiveWindow::activate(user_.id()));
    ASSERT_TRUE(waitUntil([&] { return ActiveWindow::current() == user_.id(); }));
    moveTo(QPoint(300, 700));
  }
  bool userHasKeyboard() { return ActiveWindow::current() == user_.id() && user_.focus() == user_.id(); }
  // Whether the X server sends the keys to the toast. Qt counts the panel
  // active as soon as its own request to be activated comes back to it,
  // before the window manager has handed it the focus.
  bool toastHasKeyboard() { return user_.focus() == xcb_window_t(toast_.panel()->winId()); }
  // Waits until the X server shows the toast where it was put. Qt counts the
  // panel visible as soon as it asks for the mapping; a click sent before the
  // window manager has mapped it lands on the desktop and takes the keyboard
  // from the user's window.
  bool waitOnScreen() {
    ToastPanel* panel = toast_.panel();
    const auto id = xcb_window_t(panel->winId());
    return waitUntil([&] { return user_.viewable(id) && user_.onScreen(id) == panel->geometry(); });
  }

  UserWindow user_;
  ToastController toast_;
};

}  // namespace

TEST_F(ToastPanelX, AppearsAtTheTopRightWithoutTakingTheKeyboard) {
  toast_.show(Kind::picked, samples::lines({"first line", "second line"}), ClipboardBackup{});
  ToastPanel* panel = toast_.panel();
  ASSERT_TRUE(waitOnScreen());
  ASSERT_TRUE(waitUntil([&] { return panel->windowOpacity() >= 1; }));
  pump(300);
  EXPECT_TRUE(userHasKeyboard());
  EXPECT_FALSE(panel->isActiveWindow());

  const auto id = xcb_window_t(panel->winId());
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  QRect frame;
  ASSERT_TRUE(waitUntil([&] { return (frame = user_.onScreen(id)).size() == toast_.view()->sizeHint(); }));
  EXPECT_EQ(frame.topLeft() + QPoint(frame.width(), 0), QPoint(avail.right() + 1 - 16, avail.y() + 12));
  for (const char* state : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_ABOVE"})
    EXPECT_TRUE(user_.hasState(id, state)) << state;

  // Hidden for a still and shown again: the window manager forgot the
  // states when it let the window go, and must be told them again. (A
  // still takes longer than the window manager needs to let it go.)
  stillhold::hold(panel);
  ASSERT_TRUE(waitUntil([&] { return !user_.viewable(id) && !user_.listed(id); }));
  stillhold::release(panel);
  ASSERT_TRUE(waitOnScreen());
  pump(200);
  for (const char* state : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_ABOVE"})
    EXPECT_TRUE(user_.hasState(id, state)) << state << " after showing again";
  EXPECT_TRUE(userHasKeyboard());
}

TEST_F(ToastPanelX, EditingTakesTheKeyboardAndGivesItBack) {
  toast_.show(Kind::picked, samples::lines({"typo"}), ClipboardBackup{});
  ASSERT_TRUE(waitOnScreen());
  ASSERT_TRUE(clickCentre(toast_.view()->button(ToastAction::edit)));
  ASSERT_TRUE(waitUntil([&] { return toastHasKeyboard(); })) << "the editor gets the keyboard";
  EXPECT_TRUE(waitUntil([&] { return toast_.panel()->isActiveWindow(); }));
  EXPECT_TRUE(toast_.model().editing());
  EXPECT_TRUE(toast_.view()->editor()->hasFocus());
  ASSERT_TRUE(xdotool({"type", "--delay", "5", "s fixed"}));
  ASSERT_TRUE(waitUntil([&] { return toast_.model().draft() == "typos fixed"; })) << toast_.model().draft().toStdString();
  ASSERT_TRUE(xdotool({"key", "ctrl+Return"}));
  ASSERT_TRUE(waitUntil([&] { return !toast_.model().editing(); }));
  EXPECT_EQ(clipboardText(), "typos fixed");
  EXPECT_TRUE(waitUntil([&] { return userHasKeyboard(); })) << "back to the user's window";
  EXPECT_TRUE(waitUntil([&] { return !toast_.panel()->isActiveWindow(); }));
}

TEST_F(ToastPanelX, ClickingTheCardLendsItTheKeysUntilTheUserGoesBack) {
  toast_.show(Kind::picked, samples::lines({"one", "two"}), ClipboardBackup{});
  ASSERT_TRUE(waitOnScreen());
  const ToastLayout& l = toast_.view()->cardLayout();
  ASSERT_TRUE(click(toast_.view(), QPointF(l.card.center().x(), l.card.top() + 6).toPoint()));
  ASSERT_TRUE(waitUntil([&] { return toastHasKeyboard(); }));
  ASSERT_TRUE(xdotool({"key", "ctrl+j"}));
  EXPECT_TRUE(waitUntil([&] { return toast_.model().joined(); }));
  ASSERT_TRUE(xdotool({"key", "ctrl+shift+j"}));
  pump(100);
  EXPECT_TRUE(toast_.model().joined()) << "Ctrl must be alone";

  // The user clicks back into their window; a later button click leaves it there.
  ASSERT_TRUE(moveTo(user_.onScreen(user_.id()).center()) && xdotool({"click", "1"}));
  // ...and the toast has taken note (until then its window still accepts focus).
  ASSERT_TRUE(waitUntil([&] { return userHasKeyboard() && !toast_.panel()->takesKeyboard(); }));
  ASSERT_TRUE(clickCentre(toast_.view()->button(ToastAction::toggleJoin)));
  EXPECT_TRUE(waitUntil([&] { return !toast_.model().joined(); }));
  pump(200);
  EXPECT_TRUE(userHasKeyboard());
  ASSERT_TRUE(xdotool({"key", "ctrl+z"}));
  pump(100);
  EXPECT_EQ(toast_.model().kind(), Kind::picked) << "the keys now go to the user's window";
}

TEST_F(ToastPanelX, ThePreviewCanBeSelectedForAMiddleClickPaste) {
  toast_.show(Kind::picked, samples::lines({"select me please", "second"}), ClipboardBackup{});
  ASSERT_TRUE(waitOnScreen());
  // The drag starts as the pointer arrives, so the hover (and the preview
  // growing under the pointer) begins mid-drag; the selection must survive it.
  const ToastLayout::Block& preview = toast_.view()->cardLayout().blocks.at(0);
  const QFontMetricsF metrics(kit::font(12, QFont::Normal));
  const QPointF start = preview.topLeft + QPointF(1, metrics.height() / 2);
  const QPointF end = start + QPointF(metrics.horizontalAdvance("select me"), 0);
  ASSERT_TRUE(moveTo(toast_.view()->mapToGlobal(start.toPoint())) && xdotool({"mousedown", "1"}));
  ASSERT_TRUE(waitUntil([&] { return toast_.model().hovering(); }));
  ASSERT_TRUE(moveTo(toast_.view()->mapToGlobal(end.toPoint())) && xdotool({"mouseup", "1"}));
  ASSERT_TRUE(waitUntil([&] { return !toast_.view()->selectedText().isEmpty(); }));
  EXPECT_EQ(toast_.view()->selectedText(), "select me");
  EXPECT_EQ(paste("UTF8_STRING", "primary").bytes, "select me");
  EXPECT_EQ(clipboardText(), "select me please\nsecond") << "the clipboard keeps the result";
}

TEST_F(ToastPanelX, WithoutACompositorTheMarginIsCutAway) {
  const bool compositor = Compositor::running();
  toast_.show(Kind::working);
  ToastPanel* panel = toast_.panel();
  ASSERT_TRUE(waitUntil([&] { return panel->isVisible() && panel->windowOpacity() >= 1; }));
  EXPECT_EQ(toast_.view()->shadowed(), compositor);
  if (compositor) {
    EXPECT_TRUE(panel->mask().isEmpty());
    return;
  }
  EXPECT_FALSE(panel->mask().isEmpty());
  const QRectF card = toast_.view()->cardLayout().card;
  EXPECT_TRUE(panel->mask().contains(card.center().toPoint()));
  EXPECT_FALSE(panel->mask().contains(QPoint(2, 2))) << "the shadow margin";
  // The screen under the margin shows what is behind the toast, not a black box.
  QScreen* screen = QGuiApplication::primaryScreen();
  auto grab = [&](QPoint at, int side) { return screen->grabWindow(0, at.x(), at.y(), side, side).toImage(); };
  const QPoint corner = panel->mapToGlobal(QPoint(4, 4));
  const QPoint plate = panel->mapToGlobal(QPoint(int(card.left()) + 3, int(card.center().y())));
  auto plateShown = [&] { return probe::near(grab(plate, 1).pixelColor(0, 0), Ink::panel(), 3); };
  ASSERT_TRUE(waitUntil(plateShown)) << "the card is on the screen";
  const QImage with = grab(corner, 4);
  toast_.hide();
  ASSERT_TRUE(waitUntil([&] { return !panel->isVisible() && !plateShown(); }));
  EXPECT_EQ(with, grab(corner, 4));
}
