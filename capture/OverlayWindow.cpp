#include "capture/OverlayWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QWindow>

#include "capture/CaptureLog.h"
#include "capture/OverlayView.h"

namespace {
constexpr int kRetryMs = 20;
constexpr int kMaxTries = 50;  // a second: menus of other programs let go by then
}  // namespace

OverlayWindow::OverlayWindow(const QRect& screen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
                           Qt::WindowStaysOnTopHint | Qt::NoDropShadowWindowHint),
      view_(new OverlayView(this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setGeometry(screen);
  view_->setGeometry(rect());
  view_->installEventFilter(this);
  retry_.setInterval(kRetryMs);
  connect(&retry_, &QTimer::timeout, this, &OverlayWindow::tryGrab);
}

OverlayWindow::~OverlayWindow() { release(); }

void OverlayWindow::open() {
  show();
  raise();
  tries_ = 0;
  tryGrab();
}

void OverlayWindow::tryGrab() {
  QWindow* handle = windowHandle();
  if (!handle || !isVisible()) return;
  // Qt routes key and mouse events to the grabbing widget; the window's own
  // calls tell whether the server granted the grab.
  if (!keyboard_) {
    view_->grabKeyboard();
    keyboard_ = handle->setKeyboardGrabEnabled(true);
  }
  if (!mouse_) {
    view_->grabMouse();
    mouse_ = handle->setMouseGrabEnabled(true);
  }
  if (grabbing() || ++tries_ >= kMaxTries) {
    retry_.stop();
    if (!grabbing()) qCWarning(lcCapture) << "overlay could not grab keyboard" << keyboard_ << "mouse" << mouse_;
    // Without the keyboard, Escape would never reach us: take the focus instead.
    if (!keyboard_) activateWindow();
  } else if (!retry_.isActive()) {
    retry_.start();
  }
  checkReady();
}

void OverlayWindow::release() {
  retry_.stop();
  view_->releaseKeyboard();
  view_->releaseMouse();
  if (QWindow* handle = windowHandle()) {
    if (keyboard_) handle->setKeyboardGrabEnabled(false);
    if (mouse_) handle->setMouseGrabEnabled(false);
  }
  keyboard_ = mouse_ = false;
}

void OverlayWindow::resizeEvent(QResizeEvent*) { view_->setGeometry(rect()); }

void OverlayWindow::hideEvent(QHideEvent*) { release(); }

bool OverlayWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == view_ && event->type() == QEvent::Paint && !painted_) {
    painted_ = true;
    // After the paint returns, its frame has gone to the server.
    QMetaObject::invokeMethod(this, &OverlayWindow::checkReady, Qt::QueuedConnection);
  }
  return false;
}

void OverlayWindow::checkReady() {
  if (readySent_ || !painted_ || !grabbing() || !isVisible()) return;
  readySent_ = true;
  if (onReady) onReady();
}
