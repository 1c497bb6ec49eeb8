#include "app/MenuPanelControl.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QScreen>
#include <algorithm>

#include "app/InputShape.h"
#include "app/OutsideClicks.h"
#include "core/Settings.h"
#include "platform/Compositor.h"
#include "toast/ToastPanel.h"
#include "ui/about/AboutController.h"
#include "ui/menu/MenuPage.h"
#include "ui/menu/MenuState.h"
#include "ui/menu/MenuView.h"

Q_LOGGING_CATEGORY(lcMenu, "tarvok.app.menu", QtInfoMsg)

namespace {
constexpr int kOverlap = 14;
constexpr int kMargin = 4;
// A tray click that took the keyboard from the open menu closes it first and
// then arrives as a toggle; within this time the toggle must not reopen it.
constexpr int kReopenGuardMs = 400;
}  // namespace

MenuPanelControl::MenuPanelControl(Settings& settings, MenuState& state, AboutController& about, Hooks hooks,
                                   QObject* parent)
    : QObject(parent),
      settings_(settings),
      state_(state),
      about_(about),
      hooks_(std::move(hooks)),
      clicks_(new OutsideClicks(this)) {
  clicks_->onPress = [this](QPoint at) {
    if (!isOpen()) return;
    if (panel_->frameGeometry().contains(at) || anchorRect().contains(at)) return;
    // Clicks into our own windows (the toast, About) leave the menu open.
    if (QWidget* w = QApplication::topLevelAt(at); w && w->isVisible()) return;
    qCDebug(lcMenu) << "click outside at" << at;
    closeByItself();
  };
}

MenuPanelControl::~MenuPanelControl() {
  if (keysWatched_ && qApp) qApp->removeEventFilter(this);
  delete panel_.data();
}

bool MenuPanelControl::isOpen() const { return panel_ && panel_->isVisible(); }

QRect MenuPanelControl::anchorRect() const { return hooks_.anchor ? hooks_.anchor() : QRect(); }

void MenuPanelControl::toggle() {
  if (isOpen()) {
    qCDebug(lcMenu) << "toggled closed";
    close(true);
  } else if (!(closedByItself_.isValid() && closedByItself_.elapsed() < kReopenGuardMs)) {
    show();
  } else {
    qCDebug(lcMenu) << "not reopened: it closed itself" << closedByItself_.elapsed() << "ms ago";
  }
  closedByItself_.invalidate();
}

void MenuPanelControl::build() {
  panel_ = new ToastPanel;
  panel_->setWindowTitle(QStringLiteral("tarvok menu"));
  QPointer<MenuPanelControl> self(this);
  MenuView::Actions actions;
  actions.capture = [self] {
    if (self && self->hooks_.capture) self->hooks_.capture();
  };
  actions.record = [self] {
    if (self && self->hooks_.record) self->hooks_.record();
  };
  actions.about = [self] {
    if (self) self->about();
  };
  actions.quit = [quit = hooks_.quit] {
    if (quit) quit();
  };
  actions.relayout = [self] {
    if (self) self->layout();
  };
  view_ = new MenuView(settings_, state_, std::move(actions));
  view_->setWarmUp(hooks_.warmUpFast);
  panel_->setContent(view_);
  // Another window took the keyboard (a click elsewhere, a window switch).
  connect(panel_, &ToastPanel::keyboardLost, this, [this] {
    qCDebug(lcMenu) << "keyboard lost";
    closeByItself();
  });
}

void MenuPanelControl::show() {
  if (!panel_) build();
  state_.setPage(MenuState::Page::main);
  const ActiveWindow::Id front = ActiveWindow::current();
  if (front == 0) {
    appBefore_ = 0;
  } else if (!isOurs(front)) {
    appBefore_ = front;
  }  // one of ours in front: the window remembered before stays
  layout();
  panel_->showInFront();
  // Once more on the mapped window: the window manager's frame follows a
  // shape it is told about after mapping.
  layout();
  panel_->takeKeyboard();
  // Opening an open menu installs nothing twice.
  if (!keysWatched_) {
    qApp->installEventFilter(this);
    keysWatched_ = true;
  }
  clicks_->setWatching(true);
  qCInfo(lcMenu) << "menu opened at" << panel_->geometry();
}

void MenuPanelControl::layout() {
  if (!panel_ || !view_) return;
  const QSize size = fitToContent(panel_, view_);
  QRect anchor = anchorRect();
  if (anchor.isEmpty()) anchor = QRect(QCursor::pos(), QSize(1, 1));
  QScreen* screen = QGuiApplication::screenAt(anchor.center());
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  panel_->move(placement(anchor, size, screen->availableGeometry()));
  // Without a compositor the shadow's room would come out black, so the
  // window is cut to the plate; with one, only the plate takes clicks, and
  // the shadow lets them through to the tray icon under it.
  const QRegion plate(view_->plateShape().toFillPolygon().toPolygon());
  if (Compositor::running()) {
    panel_->clearMask();
    inputshape::set(panel_, plate);
  } else {
    panel_->setMask(plate);
  }
  panel_->update();
}

QPoint MenuPanelControl::placement(const QRect& anchor, const QSize& size, const QRect& available) {
  int x = anchor.x() + anchor.width() / 2 - size.width() / 2;
  x = std::max(x, available.left() + kMargin);
  x = std::min(x, available.x() + available.width() - size.width() - kMargin);
  const bool below = anchor.center().y() < available.center().y();
  const int y = below ? anchor.y() + anchor.height() - kOverlap : anchor.y() + kOverlap - size.height();
  return {x, y};
}

void MenuPanelControl::close(bool restoreFocus) {
  // Hiding the panel takes the keyboard from it, which would close it again
  // from inside this call.
  if (closing_) return;
  closing_ = true;
  if (settings_.recording() && hooks_.cancelRecording) hooks_.cancelRecording();
  const bool wasVisible = isOpen();
  const bool weAreActive = QApplication::activeWindow() != nullptr;
  if (panel_) {
    panel_->hide();
    panel_->giveBackKeyboard();  // hidden first: this only stops taking it
  }
  clicks_->setWatching(false);
  if (keysWatched_) {
    qApp->removeEventFilter(this);
    keysWatched_ = false;
  }
  if (restoreFocus && wasVisible && weAreActive && appBefore_ != 0) ActiveWindow::activate(appBefore_);
  appBefore_ = 0;
  closing_ = false;
  if (wasVisible) qCInfo(lcMenu) << "menu closed";
}

void MenuPanelControl::closeByItself() {
  if (closing_ || !isOpen()) return;
  close(true);
  closedByItself_.start();
}

std::optional<uint32_t> MenuPanelControl::handOver() {
  std::optional<uint32_t> to;
  if (isOpen() && appBefore_ != 0) to = appBefore_;
  close(false);
  return to;
}

void MenuPanelControl::about() {
  close(true);
  about_.open();
}

bool MenuPanelControl::isOurs(ActiveWindow::Id window) const {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->testAttribute(Qt::WA_WState_Created) && ActiveWindow::Id(w->winId()) == window) return true;
  }
  return false;
}

bool MenuPanelControl::eventFilter(QObject*, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  // Escape while a shortcut is being recorded belongs to the recorder.
  if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || settings_.recording()) return false;
  close(true);
  return true;
}
