#include "capture/CaptureSystem.h"

#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "capture/CaptureGeometry.h"
#include "capture/WindowList.h"
#include "platform/ActiveWindow.h"
#include "platform/X11.h"
#include "ui/kit/StillHold.h"

namespace {

// Top-level windows of ours that would show in a grab of `area`. The tray
// icon lives inside the tray host's window and stays.
std::vector<QWidget*> ownWindowsOn(const QRect& area) {
  std::vector<QWidget*> out;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (!w->isVisible() || w->testAttribute(Qt::WA_DontShowOnScreen)) continue;
    if (w->windowType() == Qt::Desktop) continue;
    if (QByteArray(w->metaObject()->className()).contains("SystemTray")) continue;
    if (!w->frameGeometry().intersects(area)) continue;
    out.push_back(w);
  }
  return out;
}

}  // namespace

QPoint X11CaptureSystem::pointer() const { return QCursor::pos(); }

std::vector<CaptureSystem::Screen> X11CaptureSystem::screens() const {
  std::vector<Screen> out;
  for (QScreen* s : QGuiApplication::screens()) out.push_back({s->name(), s->geometry(), s->devicePixelRatio()});
  return out;
}

int X11CaptureSystem::primary() const {
  const auto all = QGuiApplication::screens();
  return int(all.indexOf(QGuiApplication::primaryScreen()));
}

std::optional<uint32_t> X11CaptureSystem::frontWindow() const {
  xcb_connection_t* conn = x11::connection();
  const ActiveWindow::Id active = ActiveWindow::current();
  if (!conn || active == 0) return std::nullopt;
  const auto pid = capture::windowPid(conn, active);
  if (pid && *pid == uint32_t(getpid())) return std::nullopt;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->internalWinId() == active) return std::nullopt;
  }
  return active;
}

void X11CaptureSystem::activate(uint32_t window) { ActiveWindow::activate(window); }

void X11CaptureSystem::snapshot(const Screen& screen, QObject* context,
                                std::function<void(std::optional<capture::Still>)> done) {
  xcb_connection_t* conn = x11::connection();
  if (!conn) {
    QTimer::singleShot(0, context, [done = std::move(done)] { done(std::nullopt); });
    return;
  }
  const QRect root = capture::rootPixels(screen.geometry, screen.ratio);
  const QByteArray display = qgetenv("DISPLAY");
  const uint32_t pid = uint32_t(getpid());
  const auto mine = ownWindowsOn(screen.geometry);
  if (mine.empty()) {
    capture::takeStill(display, root, pid, context, std::move(done));
    return;
  }
  for (QWidget* w : mine) {
    hidden_.emplace_back(w);
    stillhold::hold(w);
  }
  // Once the server has unmapped them, the windows below (and a compositor)
  // need a couple of frames to paint what was under them.
  std::free(xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
  QTimer::singleShot(kSettleMs, context, [display, root, pid, context, done = std::move(done)]() mutable {
    capture::takeStill(display, root, pid, context, std::move(done));
  });
}

void X11CaptureSystem::restoreOwnWindows() {
  for (const QPointer<QWidget>& w : hidden_) {
    if (w) stillhold::release(w);
  }
  hidden_.clear();
}
