#include "ui/kit/Clickable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

namespace kit {

Clickable::Clickable(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::PointingHandCursor);
}

void Clickable::setHovered(bool hovered) {
  if (hovered == hovered_) return;
  hovered_ = hovered;
  update();
  emit hoveredChanged(hovered);
}

void Clickable::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  setHovered(true);
}

void Clickable::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  setHovered(false);
}

void Clickable::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  pressed_ = true;
  pressInside_ = true;
  update();
  event->accept();
}

void Clickable::mouseMoveEvent(QMouseEvent* event) {
  if (!pressed_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  const bool inside = rect().contains(event->position().toPoint());
  if (inside != pressInside_) {
    pressInside_ = inside;
    update();
  }
}

void Clickable::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !pressed_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  const bool inside = rect().contains(event->position().toPoint());
  pressed_ = false;
  pressInside_ = false;
  update();
  event->accept();
  if (inside) activate();
}

void Clickable::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!event->isAutoRepeat()) activate();
      event->accept();
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

// A press that never sees its release (the widget went away) must not stick.
void Clickable::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  pressed_ = false;
  pressInside_ = false;
  setHovered(false);
}

void Clickable::activate() {
  // Either handler may delete this widget (a menu closing, say).
  QPointer<Clickable> self(this);
  emit clicked();
  if (self && onClick) {
    auto handler = onClick;  // survives reassignment inside the call
    handler();
  }
}

}  // namespace kit
