#include "toast/ToastPanel.h"

#include <QApplication>
#include <QEvent>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/X11.h"
#include "toast/ToastLog.h"

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

void ToastPanel::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  const bool active = isActiveWindow();
  if (active != wasActive_) qCDebug(lcToast) << (active ? "toast has the keyboard" : "toast lost the keyboard");
  if (wasActive_ && !active) emit keyboardLost();
  wasActive_ = active;
}

void ToastPanel::showInFront() {
  if (!isVisible()) show();
  raise();
}

// Every mapping, also one that brings the panel back after it stepped aside
// for a still: the window manager drops the states when the window goes.
// The event comes before the window is mapped.
void ToastPanel::showEvent(QShowEvent* event) {
  markAsFloating();
  QWidget::showEvent(event);
}

// What Qt's flags cannot say: no taskbar or pager entry, on every desktop.
// Set before each mapping, when the window manager reads them.
void ToastPanel::markAsFloating() {
  xcb_connection_t* conn = x11::connection();
  if (!conn) return;
  const xcb_window_t window = xcb_window_t(winId());
  const xcb_atom_t state = x11::atom(conn, "_NET_WM_STATE");
  std::vector<xcb_atom_t> states;
  if (xcb_get_property_reply_t* reply = xcb_get_property_reply(
          conn, xcb_get_property(conn, 0, window, state, XCB_ATOM_ATOM, 0, 64), nullptr)) {
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    states.assign(atoms, atoms + xcb_get_property_value_length(reply) / 4);
    std::free(reply);
  }
  for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER", "_NET_WM_STATE_STICKY"}) {
    const xcb_atom_t a = x11::atom(conn, name);
    if (std::find(states.begin(), states.end(), a) == states.end()) states.push_back(a);
  }
  xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32, uint32_t(states.size()),
                      states.data());
  const uint32_t allDesktops = 0xFFFFFFFF;
  xcb_change_property(conn, XCB_PROP_MODE_REPLACE, window, x11::atom(conn, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL,
                      32, 1, &allDesktops);
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
  qCDebug(lcToast) << "toast takes the keyboard; it goes back to" << previous_ << (isActiveWindow() ? "(active)" : "");
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
