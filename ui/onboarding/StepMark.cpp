#include "ui/onboarding/StepMark.h"

#include <QPainter>
#include <QPainterPath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Text.h"

namespace onboarding {

void drawMark(QPainter& p, const QPointF& topLeft, Mark mark) {
  const QRectF r(topLeft, QSizeF(kMarkSize, kMarkSize));
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  if (mark == Mark::warning) {
    QPainterPath disc;
    disc.addEllipse(r);
    p.fillPath(disc, Ink::seal());
    kit::LineOptions options;
    options.direction = Qt::LeftToRight;
    kit::drawLine(p, r, QStringLiteral("!"), kit::font(11, QFont::Bold), Ink::hanjiLight(), Qt::AlignCenter,
                  options);
    p.restore();
    return;
  }
  const bool done = mark == Mark::done;
  kit::fillWithInnerBorder(p, r, 3, done ? Ink::seal() : QColor(Qt::transparent), done ? Ink::seal() : Ink::faint(),
                           1.2);
  if (done) {
    QPainterPath tick;
    tick.moveTo(topLeft + QPointF(4, 8.5));
    tick.lineTo(topLeft + QPointF(7, 11.5));
    tick.lineTo(topLeft + QPointF(12.5, 5));
    QPen pen(Ink::hanjiLight(), 1.8);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    p.strokePath(tick, pen);
  }
  p.restore();
}

StepMark::StepMark(QWidget* parent) : kit::Clickable(parent) {
  setFixedSize(sizeHint());
  setToggle({});
}

void StepMark::setMark(Mark mark) {
  if (mark == mark_) return;
  mark_ = mark;
  update();
}

void StepMark::setToggle(std::function<void()> toggle) {
  onClick = std::move(toggle);
  const bool active = bool(onClick);
  setAttribute(Qt::WA_TransparentForMouseEvents, !active);
  setFocusPolicy(active ? Qt::TabFocus : Qt::NoFocus);
  if (active) {
    setCursor(Qt::PointingHandCursor);
  } else {
    unsetCursor();
  }
}

void StepMark::paintEvent(QPaintEvent*) {
  QPainter p(this);
  drawMark(p, QPointF(0, 1), mark_);
}

}  // namespace onboarding
