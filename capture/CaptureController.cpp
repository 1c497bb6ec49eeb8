#include "capture/CaptureController.h"

#include <QKeyEvent>

#include "capture/CaptureGeometry.h"
#include "capture/CaptureLog.h"
#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"

CaptureController::CaptureController(std::shared_ptr<CaptureSystem> system, QObject* parent)
    : QObject(parent), system_(system ? std::move(system) : std::make_shared<X11CaptureSystem>()) {}

CaptureController::~CaptureController() {
  if (window_) {
    window_->hide();
    delete window_.data();
  }
}

void CaptureController::start(std::optional<uint32_t> returnTo) {
  if (window_) {
    finishAtLast();
    return;
  }
  if (starting_) return;
  starting_ = true;
  since_.start();

  const auto screens = system_->screens();
  std::vector<QRect> geometries;
  for (const auto& s : screens) geometries.push_back(s.geometry);
  int index = capture::screenAt(geometries, system_->pointer());
  if (index < 0) index = system_->primary();
  if (index < 0 || index >= int(screens.size())) {
    fail(CaptureError::noDisplay);
    return;
  }
  const CaptureSystem::Screen screen = screens[size_t(index)];
  previous_ = returnTo ? returnTo : system_->frontWindow();
  qCDebug(lcCapture) << "capture of" << screen.name << screen.geometry << "ratio" << screen.ratio;

  system_->snapshot(screen, this, [this, screen](std::optional<capture::Still> still) {
    // Cleared before any callback, so that a callback may start again.
    starting_ = false;
    if (!still || still->image.isNull()) {
      fail(CaptureError::permission);
      return;
    }
    qCDebug(lcCapture) << "still after" << since_.elapsed() << "ms";
    show(std::move(*still), screen);
  });
}

void CaptureController::repeatLast() {
  if (window_) {
    finishAtLast();
    return;
  }
  pendingLast_ = last_.has_value();
  start(std::nullopt);
}

void CaptureController::fail(CaptureError error) {
  starting_ = false;
  // A same-spot request that could not start must not finish a later capture.
  pendingLast_ = false;
  system_->restoreOwnWindows();
  qCInfo(lcCapture) << "capture failed:" << reasonOf(error);
  if (auto report = onError) report(error);
}

void CaptureController::show(capture::Still still, const CaptureSystem::Screen& screen) {
  auto* window = new OverlayWindow(screen.geometry);
  OverlayView* view = window->overlay();
  view->setStill(std::move(still.image), std::move(still.dimmed));
  view->setWindows(capture::viewWindows(still.frames, capture::rootPixels(screen.geometry, screen.ratio),
                                        screen.ratio, QSizeF(screen.geometry.size())));
  if (last_ && last_->screen == screen.name)
    view->setLastRect(last_->rect);

  QPointer<CaptureController> self(this);
  const QString id = screen.name;
  const QPointF origin = screen.geometry.topLeft();
  view->onFinish = [self, id, origin](const QRectF& rect) {
    if (self) self->finish(rect, id, origin);
  };
  view->onCancel = [self] {
    if (self) self->cancel();
  };
  view->isHotKey = [self](const QKeyEvent& event) {
    return self && self->hotKeyMatcher && self->hotKeyMatcher(event);
  };
  view->onHotKey = [self] {
    if (self) self->finishAtLast();
  };
  view->onFastMode = [self] {
    if (self && self->onFastMode) self->onFastMode();
  };
  window_ = window;
  window->onReady = [self] {
    if (self) qCDebug(lcCapture) << "overlay up after" << self->since_.elapsed() << "ms";
  };
  window->open();

  if (pendingLast_) {
    pendingLast_ = false;
    finishAtLast();
  }
}

void CaptureController::finishAtLast() {
  if (!window_) return;
  OverlayView* view = window_->overlay();
  if (view->lastRect() && view->onFinish) {
    const auto finish = view->onFinish;
    finish(*view->lastRect());
  }
}

void CaptureController::finish(const QRectF& rect, const QString& screen, const QPointF& origin) {
  if (!window_ || window_->overlay()->image().isNull()) return;
  const OverlayView* view = window_->overlay();
  const auto crop = capture::cropRect(rect, QSizeF(view->size()), view->image().size());
  QImage picked;
  if (crop) {
    picked = view->image().copy(*crop);
    picked.setDevicePixelRatio(1);
    // Only a pick that gave pixels can be repeated.
    last_ = LastPick{screen, rect};
  }
  const QRectF global = capture::toGlobal(rect, origin);
  close();
  if (picked.isNull()) {
    qCInfo(lcCapture) << "empty pick" << rect << "taken as a cancel";
    if (auto cancelled = onCancel) cancelled();
    return;
  }
  if (auto deliver = onPicked) deliver(picked, global);
}

void CaptureController::cancel() {
  if (!window_) return;
  close();
  if (auto cancelled = onCancel) cancelled();
}

void CaptureController::close() {
  window_->hide();
  window_->deleteLater();
  window_ = nullptr;
  system_->restoreOwnWindows();
  if (previous_) system_->activate(*previous_);
  previous_.reset();
}
