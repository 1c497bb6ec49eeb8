#pragma once
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "recognition/base/Result.h"
#include "toast/AnimationClock.h"
#include "toast/ClipboardBackup.h"
#include "toast/ToastModel.h"
#include "toast/ToastView.h"

class Fade;
class ToastPanel;

// Puts the result toast on screen and runs it: sets the model for each
// message, writes the clipboard for a new result, places the panel at the top
// right of the screen under the pointer, fades it in and out (with a
// compositor), keeps it up while it is pointed at, edited or holds the
// keyboard, hides it after a time that depends on the message, and carries
// out the toast's actions and keys. Main thread only.
class ToastController : public QObject {
  Q_OBJECT
 public:
  using Kind = ToastModel::Kind;

  explicit ToastController(QObject* parent = nullptr);
  ~ToastController() override;

  // Shows or updates the toast. `result` and `backup` come with a new result
  // (kind picked); `busyCPU` with a working toast on a busy machine.
  void show(Kind kind, const std::optional<Recognized>& result = std::nullopt,
            std::optional<ClipboardBackup> backup = std::nullopt, std::optional<int> busyCPU = std::nullopt);
  // Fades the toast out and takes it off screen.
  void hide();

  // Recognise the same capture again in accurate mode (installed by the application).
  std::function<void()> onRetryAccurate;
  // Capture the same screen region again (installed by the application).
  std::function<void()> onSameSpot;

  ToastModel& model() { return model_; }
  ToastPanel* panel() const { return panel_; }
  ToastView* view() const { return view_; }
  // The callbacks the view's buttons call; the key monitor calls the same.
  ToastView::Actions actions();

  // Seconds from a show until the toast may hide: 30 working; picked 3 +
  // min(n, 150) / 25 for n characters of the result's text (8 at most); 5
  // empty, permission, conflict and noDisplay; 2.2 for the undo messages.
  static double hideTime(Kind kind, const Recognized* result);

  struct ScreenArea {
    QRect geometry;   // the whole screen
    QRect available;  // without panels and docks
  };
  // Where the panel's top-right corner goes: 16 in from the right and 12 down
  // from the top of the available area of the first screen holding the
  // pointer, else of the primary one. None without screens.
  static std::optional<QPoint> anchorFor(const std::vector<ScreenArea>& screens, int primary, QPoint pointer);

  // Test seams: the clock behind hide times and fades, the pointer position,
  // and one step of the 0.1 s poll.
  void setClock(AnimationClock clock);
  void setPointerSource(std::function<QPoint()> source);
  void tick();

  enum class Phase { hidden, shown, fadingOut };
  Phase phase() const { return phase_; }
  std::optional<double> hideAt() const { return hideAt_; }
  QPoint anchor() const { return anchor_; }
  bool polling() const { return poll_.isActive(); }
  Fade* fade() const { return fade_; }

 private:
  void build();
  void startPolling();
  void relayout();
  void fit();
  void applyCompositing(bool compositor);
  void beginEdit();
  void commitEdit();
  void cancelEdit();
  void endEdit();
  void undo();
  void open();
  void toggleTable();
  void toggleJoin();
  bool keyPressed(QObject* receiver, class QKeyEvent* event);
  double now() const { return clock_(); }

  ToastModel model_;
  ToastPanel* panel_ = nullptr;
  ToastView* view_ = nullptr;
  Fade* fade_ = nullptr;
  QTimer poll_;
  std::optional<double> hideAt_;
  QPoint anchor_;
  Phase phase_ = Phase::hidden;
  int generation_ = 0;  // a fade-out that finishes after a newer show must not hide it
  bool relayoutPending_ = false;
  AnimationClock clock_;
  std::function<QPoint()> pointer_;
  QObject* keyMonitor_ = nullptr;
};
