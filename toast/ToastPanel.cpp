#include "toast/ToastPanel.h"

#include <QApplication>
#include <QWindow>

ToastPanel::ToastPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::NoDropShadowWindowHint | Qt::WindowDoesNotAcceptFocus) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFocusPolicy(Qt::NoFocus);
}

void ToastPanel::setContent(QWidget* content) {
  if (content_ && content_ != content) content_->deleteLater();
  content_ = content;
  if (!content_) return;
  content_->setParent(this);
  content_->setGeometry(rect());
  content_->show();
}

void ToastPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (content_) content_->setGeometry(rect());
}

void ToastPanel::showInFront() {
  if (!isVisible()) show();
  raise();
}

// The flag says whether the window manager may give the panel the keyboard
// (the input hint). Changing it on the live window keeps the window as it is;
// QWidget::setWindowFlags would re-create and hide it.
void ToastPanel::setAcceptsFocus(bool accepts) {
  Qt::WindowFlags flags = windowFlags();
  flags.setFlag(Qt::WindowDoesNotAcceptFocus, !accepts);
  overrideWindowFlags(flags);
  if (QWindow* window = windowHandle()) window->setFlags(flags);
}

void ToastPanel::takeKeyboard() {
  if (!takesKeyboard_) {
    const ActiveWindow::Id current = ActiveWindow::current();
    previous_ = (current != 0 && current != ActiveWindow::Id(winId())) ? current : 0;
    takesKeyboard_ = true;
  }
  setAcceptsFocus(true);
  if (!isVisible()) showInFront();
  activateWindow();
}

void ToastPanel::giveBackKeyboard() {
  if (!takesKeyboard_) return;
  takesKeyboard_ = false;
  setAcceptsFocus(false);
  const ActiveWindow::Id previous = previous_;
  previous_ = 0;
  if (hasKeyboard() && !ActiveWindow::activate(previous)) {
    // Nobody to hand back to: at least stop holding it.
    if (QWidget* focus = QApplication::focusWidget(); focus && focus->window() == this) focus->clearFocus();
  }
}

bool ToastPanel::hasKeyboard() const { return isVisible() && isActiveWindow(); }
