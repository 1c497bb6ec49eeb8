#include "ui/language/ThinScrollBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"

namespace {
constexpr qreal kMinThumb = 20;
}

ThinScrollBar::ThinScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
  setAttribute(Qt::WA_Hover);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QRectF ThinScrollBar::track() const { return QRectF(rect()).adjusted(2, 2, -2, -2); }

QRectF ThinScrollBar::thumbRect() const {
  const QRectF t = track();
  const qreal range = maximum() - minimum();
  const qreal total = range + pageStep();
  if (range <= 0 || total <= 0) return t;
  const qreal length = std::clamp(t.height() * pageStep() / total, std::min(kMinThumb, t.height()), t.height());
  const qreal top = t.top() + (t.height() - length) * (value() - minimum()) / range;
  return {t.left(), top, t.width(), length};
}

void ThinScrollBar::dragTo(qreal thumbTop) {
  const QRectF t = track();
  const QRectF thumb = thumbRect();
  const qreal travel = t.height() - thumb.height();
  if (travel <= 0) return;
  const qreal share = std::clamp((thumbTop - t.top()) / travel, 0.0, 1.0);
  setValue(minimum() + int(std::lround(share * (maximum() - minimum()))));
}

void ThinScrollBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const qreal y = event->position().y();
  QRectF thumb = thumbRect();
  if (!thumb.contains(QPointF(thumb.center().x(), y))) {
    // A click on the track brings the thumb's middle under the pointer.
    dragTo(y - thumb.height() / 2);
    thumb = thumbRect();
  }
  grab_ = y - thumb.top();
  setSliderDown(true);
  event->accept();
}

void ThinScrollBar::mouseMoveEvent(QMouseEvent* event) {
  if (grab_ < 0) return;
  dragTo(event->position().y() - grab_);
  event->accept();
}

void ThinScrollBar::mouseReleaseEvent(QMouseEvent* event) {
  if (grab_ < 0) return;
  grab_ = -1;
  setSliderDown(false);
  update();
  event->accept();
}

void ThinScrollBar::enterEvent(QEnterEvent* event) {
  QScrollBar::enterEvent(event);
  hover_ = true;
  update();
}

void ThinScrollBar::leaveEvent(QEvent* event) {
  QScrollBar::leaveEvent(event);
  hover_ = false;
  update();
}

void ThinScrollBar::paintEvent(QPaintEvent*) {
  if (maximum() <= minimum()) return;
  QPainter p(this);
  QColor ink = hover_ || grab_ >= 0 ? Ink::sub() : Ink::faint();
  ink.setAlphaF(ink.alphaF() * 0.55);
  const QRectF thumb = thumbRect().adjusted(0.5, 0, -0.5, 0);
  kit::fillWithInnerBorder(p, thumb, thumb.width() / 2, ink, Qt::transparent, 0);
}
