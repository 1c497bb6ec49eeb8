#pragma once
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "capture/Still.h"

class QWidget;

// What a capture needs of the desktop: screens, the pointer, the active
// window, and one still of a screen without our own windows. The controller
// talks only to this, so its decisions can be tested with a scripted desktop.
class CaptureSystem {
 public:
  struct Screen {
    QString name;    // stable for the session; identifies the screen of the last pick
    QRect geometry;  // global space
    qreal ratio = 1; // device pixels per logical pixel
  };

  virtual ~CaptureSystem() = default;

  // The pointer in global space.
  virtual QPoint pointer() const = 0;
  // Every screen, and the index of the primary one (-1: none).
  virtual std::vector<Screen> screens() const = 0;
  virtual int primary() const = 0;
  // The window in front, unless it is one of ours.
  virtual std::optional<uint32_t> frontWindow() const = 0;
  virtual void activate(uint32_t window) = 0;
  // Hides our windows on the screen, waits until they are gone from it, takes
  // the still and the window frames, and calls `done` on the main thread
  // (none on failure). `context` going away drops the call.
  virtual void snapshot(const Screen& screen, QObject* context,
                        std::function<void(std::optional<capture::Still>)> done) = 0;
  // Shows again what snapshot() hid (those windows that still exist and
  // that their owners did not dismiss meanwhile).
  virtual void restoreOwnWindows() = 0;
};

// The real desktop: Qt's screens and an X server.
class X11CaptureSystem : public CaptureSystem {
 public:

  QPoint pointer() const override;
  std::vector<Screen> screens() const override;
  int primary() const override;
  std::optional<uint32_t> frontWindow() const override;
  void activate(uint32_t window) override;
  void snapshot(const Screen& screen, QObject* context,
                std::function<void(std::optional<capture::Still>)> done) override;
  void restoreOwnWindows() override;

  // How long the desktop gets to repaint after our windows were unmapped.
  static constexpr int kSettleMs = 40;

 private:
  std::vector<QPointer<QWidget>> hidden_;
};
