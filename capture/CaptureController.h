#pragma once
#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "capture/CaptureError.h"
#include "capture/CaptureSystem.h"

class OverlayWindow;
class QKeyEvent;

// Runs one screen capture at a time: freezes the screen under the pointer
// (our own windows left out), lets the user pick on the overlay, crops the
// still to the pick and hands it back, then gives the focus back to the window
// that had it. It remembers the last pick and its screen, so that a same-spot
// request can repeat it without the user.
//
// Callbacks run on the main thread: onPicked and onCancel after the overlay
// has closed and focus went back; onError with no overlay ever opened.
class CaptureController : public QObject {
  Q_OBJECT
 public:
  // The last pick: the screen's name and the rectangle in that screen's view space.
  struct LastPick {
    QString screen;
    QRectF rect;
  };

  // Null: the real desktop.
  explicit CaptureController(std::shared_ptr<CaptureSystem> system = nullptr, QObject* parent = nullptr);
  ~CaptureController() override;

  // The cropped still (device pixels) and the pick in global space.
  std::function<void(const QImage&, const QRectF&)> onPicked;
  std::function<void()> onCancel;
  std::function<void(CaptureError)> onError;
  // Tells the global hot key among the overlay's key presses (usually
  // HotKeyCenter::matches); a press finishes an open overlay at the last pick.
  std::function<bool(const QKeyEvent&)> hotKeyMatcher;
  // Runs when the user switches to fast mode in the overlay.
  std::function<void()> onFastMode;

  // Begins a capture; `returnTo` is the window to give the focus back to
  // (none: the window in front now, unless it is ours). With an overlay open,
  // finishes it at the last pick on its screen, if there is one.
  void start(std::optional<uint32_t> returnTo = std::nullopt);
  // The same spot again: a capture that finishes at once at the last pick,
  // when the new still is of the same screen; otherwise the overlay stays.
  void repeatLast();

  bool isStarting() const { return starting_; }
  bool isOpen() const { return !window_.isNull(); }
  bool isActive() const { return starting_ || isOpen(); }
  OverlayWindow* window() const { return window_; }
  std::optional<LastPick> last() const { return last_; }
  bool pendingLast() const { return pendingLast_; }
  std::optional<uint32_t> previousWindow() const { return previous_; }

 private:
  void show(capture::Still still, const CaptureSystem::Screen& screen);
  void finishAtLast();
  void finish(const QRectF& rect, const QString& screen, const QPointF& origin);
  void cancel();
  void close();
  void fail(CaptureError error);

  std::shared_ptr<CaptureSystem> system_;
  QPointer<OverlayWindow> window_;
  std::optional<uint32_t> previous_;
  std::optional<LastPick> last_;
  bool starting_ = false;
  bool pendingLast_ = false;
  QElapsedTimer since_;  // of the current start, for the log
};
