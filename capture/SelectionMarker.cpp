#include "capture/SelectionMarker.h"

#include <QElapsedTimer>

#include "capture/CaptureGeometry.h"
#include "capture/MarkerWindow.h"
#include "platform/Appearance.h"
#include "platform/Compositor.h"

namespace {
double monotonic() {
  static QElapsedTimer timer = [] {
    QElapsedTimer t;
    t.start();
    return t;
  }();
  return timer.nsecsElapsed() / 1e9;
}
}  // namespace

SelectionMarker::SelectionMarker(QObject* parent) : QObject(parent), clock_(monotonic) {}

SelectionMarker::~SelectionMarker() {
  // No event loop may run after this (quit): delete now, not later.
  leaving_.push_back(live_);
  for (const QPointer<MarkerWindow>& window : leaving_) delete window.data();
}

MarkerWindow* SelectionMarker::live() const { return live_; }

void SelectionMarker::setClock(Clock clock) { clock_ = clock ? std::move(clock) : Clock(monotonic); }

QPainterPath SelectionMarker::bracketPath(const QRectF& r) { return capture::bracketPath(r); }

void SelectionMarker::show(const QRectF& picked) {
  dismiss(false, 0);
  auto* window = new MarkerWindow(picked, clock_, Compositor::running(), Appearance::reduceMotion());
  live_ = window;
  window->show();
  window->wake();
}

void SelectionMarker::finish(bool ok) {
  if (!live_) return;
  live_->timeline().finish(ok, now());
  live_->wake();
  dismiss(true, ok ? marker::kOkLinger : marker::kFailLinger);
}

void SelectionMarker::dismiss(bool animated, double after) {
  if (!live_) return;
  MarkerWindow* window = live_;
  live_ = nullptr;
  std::erase_if(leaving_, [](const QPointer<MarkerWindow>& w) { return w.isNull(); });
  leaving_.push_back(window);
  if (!animated) {
    window->hide();
    window->deleteLater();
    return;
  }
  // The panel fades on its own from here; a new marker does not touch it.
  window->timeline().fadeFrom(now() + after);
  window->wake();
}
