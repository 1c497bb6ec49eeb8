#include "toast/ToastController.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>
#include <algorithm>

#include "core/Reporting.h"
#include "core/Settings.h"
#include "platform/Compositor.h"
#include "toast/DraftEditor.h"
#include "toast/Fade.h"
#include "toast/ToastKeys.h"
#include "toast/ToastLog.h"
#include "toast/ToastPanel.h"
#include "ui/kit/StillHold.h"

namespace {

constexpr int kInsetRight = 16;
constexpr int kInsetTop = 12;
constexpr double kFadeIn = 0.15;
constexpr double kFadeOut = 0.3;
constexpr int kPollMs = 100;
constexpr int kHoverMargin = 4;
constexpr double kKeepAlive = 1.2;

// Hands key presses to the controller before any widget of the application sees them.
class KeyMonitor : public QObject {
 public:
  KeyMonitor(QObject* parent, std::function<bool(QObject*, QKeyEvent*)> handler)
      : QObject(parent), handler_(std::move(handler)) {}

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    return handler_(receiver, static_cast<QKeyEvent*>(event));
  }

 private:
  std::function<bool(QObject*, QKeyEvent*)> handler_;
};

}  // namespace

ToastController::ToastController(QObject* parent)
    : QObject(parent), clock_(animation::steadySeconds), pointer_([] { return QCursor::pos(); }) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &ToastController::tick);
}

ToastController::~ToastController() {
  if (keyMonitor_ && qApp) qApp->removeEventFilter(keyMonitor_);
  delete panel_;
}

double ToastController::hideTime(Kind kind, const Recognized* result) {
  switch (kind) {
    case Kind::working: return 30;
    case Kind::picked: {
      const double n = result ? double(text::graphemeCount(result->text())) : 0;
      return std::min(3 + std::min(n, 150.0) / 25, 8.0);
    }
    case Kind::undone:
    case Kind::newerKept:
    case Kind::nothingToRestore: return 2.2;
    case Kind::empty:
    case Kind::permission:
    case Kind::conflict:
    case Kind::noDisplay: return 5;
  }
  return 5;
}

std::optional<QPoint> ToastController::anchorFor(const std::vector<ScreenArea>& screens, int primary, QPoint pointer) {
  if (screens.empty()) return std::nullopt;
  const ScreenArea* chosen = nullptr;
  for (const ScreenArea& s : screens) {
    if (s.geometry.contains(pointer)) {
      chosen = &s;
      break;
    }
  }
  if (!chosen) chosen = &screens[size_t(std::clamp(primary, 0, int(screens.size()) - 1))];
  const QRect& a = chosen->available;
  return QPoint(a.x() + a.width() - kInsetRight, a.y() + kInsetTop);
}

void ToastController::setClock(AnimationClock clock) {
  clock_ = animation::orSteady(std::move(clock));
  if (fade_) fade_->setClock(clock_);
  if (view_) view_->setClock(clock_);
}

void ToastController::setPointerSource(std::function<QPoint()> source) {
  pointer_ = source ? std::move(source) : std::function<QPoint()>([] { return QCursor::pos(); });
}

void ToastController::show(Kind kind, const std::optional<Recognized>& result, std::optional<ClipboardBackup> backup,
                           std::optional<int> busyCPU) {
  if (kind == Kind::picked || kind != model_.kind()) model_.newStamp();
  model_.setKind(kind);
  model_.setBusyCPU(kind == Kind::working ? busyCPU : std::nullopt);
  // A new message ends an edit in progress; the keyboard goes back.
  if (panel_ && model_.editing()) panel_->giveBackKeyboard();
  model_.setEditing(false);
  model_.setEdited(std::nullopt);
  model_.setHovering(false);
  if (result) {
    model_.setResult(*result);
    model_.setAsTable(ToastModel::startsAsTable(*result, Settings::shared().tables()));
    model_.setJoined(Settings::shared().joinLines());
    model_.setBackup(std::move(backup));
  }
  if (kind == Kind::picked) model_.writeClipboard();

  std::vector<ScreenArea> screens;
  for (QScreen* s : QGuiApplication::screens()) screens.push_back({s->geometry(), s->availableGeometry()});
  const int primary = int(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen()));
  const std::optional<QPoint> anchor = anchorFor(screens, primary, pointer_());
  if (!anchor) return;  // no display to show it on; the clipboard is written all the same
  anchor_ = *anchor;

  if (!panel_) build();
  const bool compositor = Compositor::running();
  applyCompositing(compositor);
  fit();
  ++generation_;  // a fade-out in progress no longer takes the panel away
  // A fade still running (a fade-out may not have dimmed it yet) is replaced.
  if (!(panel_->isVisible() && panel_->windowOpacity() >= 1 && !fade_->running())) {
    fade_->stop();
    panel_->setWindowOpacity(compositor ? 0 : 1);
    panel_->showInFront();
    if (compositor) fade_->run(panel_, 1, kFadeIn);
  } else {
    panel_->raise();
  }
  panel_->update();
  phase_ = Phase::shown;
  hideAt_ = now() + hideTime(kind, result ? &*result : nullptr);
  startPolling();
}

void ToastController::hide() {
  poll_.stop();
  if (!panel_) return;
  stillhold::dismiss(panel_);  // hidden for a still now: it stays hidden after it
  if (panel_->takesKeyboard()) panel_->giveBackKeyboard();
  const int generation = ++generation_;
  if (Compositor::running() && panel_->isVisible()) {
    phase_ = Phase::fadingOut;
    QPointer<ToastController> self(this);
    fade_->run(panel_, 0, kFadeOut, [self, generation] {
      if (!self || generation != self->generation_) return;
      self->panel_->hide();
      self->phase_ = Phase::hidden;
    });
  } else {
    fade_->stop();
    panel_->hide();
    phase_ = Phase::hidden;
  }
}

void ToastController::build() {
  panel_ = new ToastPanel;
  panel_->setWindowTitle(QStringLiteral("tarvok"));
  fade_ = new Fade(this);
  fade_->setClock(clock_);
  view_ = new ToastView(model_, actions());
  view_->setClock(clock_);
  panel_->setContent(view_);
  connect(view_, &ToastView::contentChanged, this, &ToastController::relayout);
  // A press on the card (not on a button) hands it the keyboard, for its keys.
  connect(view_, &ToastView::cardPressed, this, [this] {
    if (model_.kind() == Kind::picked) panel_->takeKeyboard();
  });
  // Once the user has gone back to another window, a later click on the
  // toast must not pull the keyboard over again; an edit keeps its claim.
  connect(panel_, &ToastPanel::keyboardLost, this, [this] {
    if (!model_.editing()) panel_->giveBackKeyboard();
  });
  QPointer<ToastController> self(this);
  keyMonitor_ = new KeyMonitor(this, [self](QObject* receiver, QKeyEvent* event) {
    return self && self->keyPressed(receiver, event);
  });
  qApp->installEventFilter(keyMonitor_);
}

ToastView::Actions ToastController::actions() {
  QPointer<ToastController> self(this);
  auto bind = [self](void (ToastController::*method)()) {
    return [self, method] {
      if (self) (self.data()->*method)();
    };
  };
  ToastView::Actions a;
  a.toggleTable = bind(&ToastController::toggleTable);
  a.toggleJoin = bind(&ToastController::toggleJoin);
  a.edit = bind(&ToastController::beginEdit);
  a.commitEdit = bind(&ToastController::commitEdit);
  a.cancelEdit = bind(&ToastController::cancelEdit);
  a.undo = bind(&ToastController::undo);
  a.open = bind(&ToastController::open);
  a.retryAccurate = [self] {
    if (self && self->onRetryAccurate) self->onRetryAccurate();
  };
  a.sameSpot = [self] {
    if (!self) return;
    self->hide();
    if (self->onSameSpot) self->onSameSpot();
  };
  return a;
}

bool ToastController::keyPressed(QObject* receiver, QKeyEvent* event) {
  auto* widget = qobject_cast<QWidget*>(receiver);
  if (!panel_ || !widget || widget->window() != panel_ || !panel_->hasKeyboard()) return false;
  if (model_.kind() != Kind::picked || model_.editing()) return false;
  const bool capsLock = QGuiApplication::platformName() == QLatin1String("xcb") && (event->nativeModifiers() & 0x2);
  const auto action = ToastKeys::actionFor(event->key(), event->modifiers(), capsLock, model_.link().has_value());
  if (!action) return false;
  const ToastView::Actions a = actions();
  switch (*action) {
    case ToastAction::toggleJoin: a.toggleJoin(); break;
    case ToastAction::edit: a.edit(); break;
    case ToastAction::undo: a.undo(); break;
    case ToastAction::open: a.open(); break;
    default: return false;
  }
  return true;
}

void ToastController::startPolling() { poll_.start(); }

void ToastController::tick() {
  if (!panel_) return;
  const QPoint p = pointer_();
  const QRect frame = panel_->geometry();
  const bool inside = p.x() >= frame.x() - kHoverMargin && p.x() < frame.x() + frame.width() + kHoverMargin &&
                      p.y() >= frame.y() - kHoverMargin && p.y() < frame.y() + frame.height() + kHoverMargin;
  if (inside != model_.hovering() && model_.kind() == Kind::picked) {
    model_.setHovering(inside);
    relayout();
  }
  if (inside || model_.editing() || panel_->hasKeyboard()) {
    hideAt_ = now() + kKeepAlive;
    return;
  }
  if (hideAt_ && now() > *hideAt_) hide();
}

void ToastController::relayout() {
  if (relayoutPending_) return;
  relayoutPending_ = true;
  QTimer::singleShot(0, this, [this] {
    relayoutPending_ = false;
    fit();
  });
}

// The panel takes the view's fitting size with its top-right corner at the anchor.
void ToastController::fit() {
  if (!panel_ || !view_) return;
  const QSize size = view_->sizeHint();
  panel_->setGeometry(anchor_.x() - size.width(), anchor_.y(), size.width(), size.height());
  if (!view_->shadowed()) panel_->setMask(QRegion(view_->cardPath().toFillPolygon().toPolygon()));
}

// Without a compositor the transparent margin would come out black: the
// panel is cut to the card's shape and draws no shadow.
void ToastController::applyCompositing(bool compositor) {
  view_->setShadowed(compositor);
  if (compositor) panel_->clearMask();
}

void ToastController::toggleTable() {
  model_.setAsTable(!model_.asTable());
  Reporting::signal(QStringLiteral("toast.table"),
                    {{QStringLiteral("to"), model_.asTable() ? QStringLiteral("table") : QStringLiteral("text")}});
  model_.writeClipboard();
  relayout();
}

void ToastController::toggleJoin() {
  model_.setJoined(!model_.joined());
  Reporting::signal(QStringLiteral("toast.join"),
                    {{QStringLiteral("to"), model_.joined() ? QStringLiteral("one") : QStringLiteral("lines")}});
  model_.writeClipboard();
  relayout();
}

void ToastController::beginEdit() {
  model_.setDraft(model_.copiedText());
  model_.setEditing(true);
  fit();  // the editor must be in place before it can take the focus
  panel_->takeKeyboard();
  view_->editor()->setFocus(Qt::OtherFocusReason);
}

void ToastController::commitEdit() {
  Reporting::signal(QStringLiteral("toast.edit"));
  model_.setEdited(model_.draft());
  model_.writeClipboard();
  endEdit();
}

void ToastController::cancelEdit() { endEdit(); }

void ToastController::endEdit() {
  model_.setEditing(false);
  panel_->giveBackKeyboard();
  relayout();
}

void ToastController::undo() {
  Reporting::signal(QStringLiteral("toast.undo"));
  // Only our own copy is taken back. Whatever the user copied since (the
  // toast may have been up a while, or come back after a cancelled capture)
  // stays, and so does a clipboard whose earlier contents are unknown.
  Kind outcome = Kind::undone;
  if (!model_.clipboardUnchanged()) {
    outcome = Kind::newerKept;
    qCInfo(lcToast) << "undo left the clipboard alone: it holds a newer copy";
  } else if (!model_.backup()) {
    outcome = Kind::nothingToRestore;
    qCInfo(lcToast) << "undo left the clipboard alone: what it held before is unknown";
  } else {
    model_.backup()->restore();
    qCInfo(lcToast) << "undo put the earlier clipboard back";
  }
  model_.setKind(outcome);
  model_.setHovering(false);
  relayout();
  hideAt_ = now() + kKeepAlive;
}

void ToastController::open() {
  const std::optional<QUrl> url = model_.link();
  if (!url) return;
  QDesktopServices::openUrl(*url);
  Reporting::signal(QStringLiteral("toast.open"), {{QStringLiteral("scheme"), url->scheme()}});
  hide();
}
