#pragma once
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRectF>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/RecognitionRunner.h"
#include "capture/CaptureError.h"
#include "core/Glyph.h"
#include "core/Reporting.h"
#include "toast/ClipboardBackup.h"

class CaptureController;
class CPUMeter;
class OnboardingController;
class SelectionMarker;
class ToastController;

// The road of one capture, from the request (hot key, menu, onboarding) to
// the text on the clipboard with the toast: the CPU baseline, the menu
// hand-over, the glyph, the marker, recognition off the GUI thread, delivery
// with the clipboard backup, and the toast's retry and same-spot requests.
//
// Each recognition gets a number; only the newest one started may deliver.
// An older one that finishes later (or earlier, while a newer pick is being
// read) changes nothing: no clipboard write, no backup, no marker change.
class CaptureRoad : public QObject {
  Q_OBJECT
 public:
  struct Parts {
    CaptureController& capture;
    ToastController& toast;
    SelectionMarker& marker;
    CPUMeter& cpu;
    OnboardingController& onboarding;
  };
  // Captures that follow one another (a retry, the same spot, the next
  // paragraph) come within seconds and find every engine the last one
  // started; past this, only the warm ones stay.
  static constexpr int kCoolDownMs = 20000;

  struct Hooks {
    // Shows a state of the tray glyph.
    std::function<void(Glyph)> glyph;
    // Closes the menu without giving the focus back; answers the window that
    // was in front before the menu opened (none when it was closed).
    std::function<std::optional<uint32_t>()> handOverMenu;
    // Asks the system for screen access (at most once per run).
    std::function<void()> requestScreenAccess;
    // A monotonic clock in nanoseconds that times a capture for its
    // "seconds" bucket; none: the system's. Tests set theirs, so that a slow
    // machine does not move a capture into another bucket.
    std::function<qint64()> clockNs;
    // How long after the last result the engines cool down; tests shorten it.
    int coolDownMs = kCoolDownMs;
  };
  struct LastPicked {
    QImage image;
    QRectF rect;  // global space
  };

  CaptureRoad(Parts parts, Hooks hooks, road::Engines engines = road::realEngines(), QObject* parent = nullptr);

  // Installs the road's handlers on the capture controller and the toast.
  void install();

  void startCapture();
  void picked(const QImage& image, const QRectF& rect);
  void recognize(const QImage& image);
  void deliver(uint64_t sequence, const Recognized& result);
  void cancelled();
  void failed(CaptureError error);
  void retryAccurate();
  void sameSpot();

  // The parameters of "capture.done".
  static reporting::Params doneParameters(const Recognized& result, const QString& mode, double seconds);
  static QString modeWord();

  uint64_t sequence() const { return sequence_; }
  const std::optional<LastPicked>& lastPicked() const { return lastPicked_; }
  bool askedPermission() const { return askedPermission_; }
  bool recognizing() const { return runner_.busy(); }
  // Quitting: stops the recognitions still running and waits up to `ms` for
  // them to end; true when none is left.
  bool settle(int ms) {
    runner_.stopAll();
    return runner_.waitForDone(ms);
  }

  // How long a result waits for the copy of the clipboard that undo puts
  // back before it is shown without one.
  static constexpr int kBackupLateMs = 1000;
  // True while a result waits for that copy.
  bool backupPending() const { return !backupPoll_.isNull(); }

 private:
  void glyph(Glyph g) {
    if (hooks_.glyph) hooks_.glyph(g);
  }
  void showPicked(const Recognized& result, double seconds, std::optional<ClipboardBackup> backup);
  qint64 nowNs() const;
  void coolDown();

  Parts parts_;
  Hooks hooks_;
  RecognitionRunner runner_;
  uint64_t sequence_ = 0;
  QPointer<QTimer> backupPoll_;  // the newest result waiting for its backup
  QTimer coolDown_;                // from the last result on
  std::optional<LastPicked> lastPicked_;
  qint64 captureStartNs_ = 0;
  bool askedPermission_ = false;
};
