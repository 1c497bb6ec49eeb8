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
}

QPoint KeptAboveWindow::centredIn(const QRect& available, const QSize& frame) {
  int x = available.x() + (available.width() - frame.width()) / 2;
  int y = available.y() + (available.height() - frame.height()) / 2;
  x = std::max(available.left(), std::min(x, available.right() + 1 - frame.width()));
  y = std::max(available.top(), std::min(y, available.bottom() + 1 - frame.height()));
  return {x, y};
}

void KeptAboveWindow::present() {
  if (QLayout* l = layout()) l->activate();
  QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    // The frame is known once the window manager has framed the window;
    // before that the content alone is centred.
    const QSize frame = isVisible() ? frameGeometry().size() : size();
    move(centredIn(screen->availableGeometry(), frame));
  }
  show();
  raise();
  activateWindow();
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
