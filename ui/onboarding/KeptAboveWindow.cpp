#include "ui/onboarding/KeptAboveWindow.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "core/Ink.h"

KeptAboveWindow::KeptAboveWindow(QWidget* content)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::WindowStaysOnTopHint),
      content_(content) {
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  // The window takes the content's preferred size and cannot be resized.
  layout->setSizeConstraint(QLayout::SetFixedSize);
  layout->addWidget(content_);
  settle_.setInterval(15);
  connect(&settle_, &QTimer::timeout, this, &KeptAboveWindow::settleFrame);
}

QPoint KeptAboveWindow::centredIn(const QRect& available, const QSize& frame) {
  int x = available.x() + (available.width() - frame.width()) / 2;
  int y = available.y() + (available.height() - frame.height()) / 2;
  x = std::max(available.left(), std::min(x, available.right() + 1 - frame.width()));
  y = std::max(available.top(), std::min(y, available.bottom() + 1 - frame.height()));
  return {x, y};
}

namespace {
// The frame the window manager gave one of our windows last; a new window
// will most likely get the same.
QMargins& lastFrame() {
  static QMargins margins;
  return margins;
}
}  // namespace

QMargins KeptAboveWindow::frameMargins() const {
  if (!windowHandle() || !isVisible()) return {};
  const QMargins m = windowHandle()->frameMargins();
  // While the window manager frames the window, the frame may not have grown
  // around it yet and a side reads negative: that is no frame yet, and taking
  // it would centre the window off the screen (and every later one with it).
  const bool halfBuilt = m.left() < 0 || m.top() < 0 || m.right() < 0 || m.bottom() < 0;
  return halfBuilt ? QMargins() : m;
}

void KeptAboveWindow::centre() {
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QMargins known = frameMargins();
  assumed_ = known.isNull() ? lastFrame() : known;
  const QSize frame = size().grownBy(assumed_);
  // move() places the frame's corner, also before the frame exists.
  move(centredIn(screen->availableGeometry(), frame));
}

void KeptAboveWindow::present() {
  if (QLayout* l = layout()) l->activate();
  centre();
  // A window the user minimised comes back as well.
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  if (frameMargins().isNull()) {
    settleTicks_ = 0;
    settle_.start();
  }
}

void KeptAboveWindow::settleFrame() {
  const QMargins real = frameMargins();
  if (real.isNull()) {
    // No window manager, or none that frames: the guess stands.
    if (++settleTicks_ >= 40 || !isVisible()) settle_.stop();
    return;
  }
  settle_.stop();
  lastFrame() = real;
  if (real != assumed_) centre();
}

void KeptAboveWindow::paintEvent(QPaintEvent*) { QPainter(this).fillRect(rect(), Ink::panel()); }

void KeptAboveWindow::mousePressEvent(QMouseEvent* event) {
  // Presses the content left unhandled land here: its background moves the window.
  if (event->button() == Qt::LeftButton && windowHandle() && windowHandle()->startSystemMove()) {
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void KeptAboveWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Minimising is not possible, so a hide here means the window left the screen.
  if (!event->spontaneous() || !isVisible()) emit hidden();
}
