#pragma once
#include <QTimer>
#include <QWidget>
#include <functional>

#include "capture/MarkerTimeline.h"

// The click-through panel of one selection marker: it draws the frame its
// timeline gives for the current time, and closes itself once faded out.
// With a compositor its background is transparent and it fades; without
// one, a shape mask leaves only the drawn parts on screen (a translucent
// window would come out as a black box over the picked area) and it simply
// disappears when the fade would begin.
class MarkerWindow : public QWidget {
  Q_OBJECT
 public:
  using Clock = std::function<double()>;

  // Around `picked` (global space), grown by the margin on every side.
  MarkerWindow(const QRectF& picked, Clock clock, bool translucent, bool still);

  marker::Timeline& timeline() { return timeline_; }
  bool translucent() const { return translucent_; }
  // Follows the clock: repaints, reshapes, closes when done. Runs on a timer
  // while anything moves; tests call it after moving their clock.
  void tick();
  // Keeps ticking after a change of the timeline (finish, fade).
  void wake();
  // The parts drawn in the masked (no compositor) mode, in widget pixels.
  QRegion shapeRegion() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void paintTranslucent(QPainter& p, const marker::Frame& f);
  void paintSolid(QPainter& p, const marker::Frame& f);
  QRectF badgeRect(const marker::Frame& f) const;

  Clock clock_;
  marker::Timeline timeline_;
  bool translucent_;
  QTimer timer_;
  QRegion shape_;
};
