#pragma once
#include <QTimer>
#include <QWidget>
#include <functional>

class OverlayView;

// The borderless window over one whole screen that holds the frozen still.
// It bypasses the window manager, stays above everything, and holds the
// keyboard and the mouse while it is shown; every way out (hide, close,
// destruction) lets both go.
class OverlayWindow : public QWidget {
  Q_OBJECT
 public:
  // Covers `screen` (global space).
  explicit OverlayWindow(const QRect& screen);
  ~OverlayWindow() override;

  OverlayView* overlay() const { return view_; }

  // Shows the window on top and takes the keyboard and the mouse. A grab that
  // another client still holds is retried for a moment.
  void open();
  // True once both grabs are held.
  bool grabbing() const { return keyboard_ && mouse_; }
  // Once shown, painted and grabbing: then onReady runs (once).
  bool ready() const { return readySent_; }
  std::function<void()> onReady;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void tryGrab();
  void release();
  void checkReady();

  OverlayView* view_;
  QTimer retry_;
  int tries_ = 0;
  bool keyboard_ = false;
  bool mouse_ = false;
  bool painted_ = false;
  bool readySent_ = false;
};
