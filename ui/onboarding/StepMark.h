#pragma once
#include <QPointF>

#include "ui/kit/Clickable.h"

class QPainter;

namespace onboarding {

// The state mark in front of each onboarding step, on a 16 x 16 canvas that
// is never mirrored: an empty box, a seal-filled box with a light tick, or a
// seal disc with "!".
enum class Mark { open, done, warning };

inline constexpr qreal kMarkSize = 16;

void drawMark(QPainter& painter, const QPointF& topLeft, Mark mark);

// A mark as a widget: 16 wide, 17 high (the mark sits 1 px down, level with
// the step's title). Only a mark with a toggle reacts to the pointer; the
// others let clicks fall through and take no focus.
class StepMark : public kit::Clickable {
  Q_OBJECT
 public:
  explicit StepMark(QWidget* parent = nullptr);

  void setMark(Mark mark);
  Mark mark() const { return mark_; }
  // A toggle makes the mark a button (its accessible name is the step's title).
  void setToggle(std::function<void()> toggle);
  bool hasToggle() const { return bool(onClick); }

  QSize sizeHint() const override { return {int(kMarkSize), int(kMarkSize) + 1}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Mark mark_ = Mark::open;
};

}  // namespace onboarding
