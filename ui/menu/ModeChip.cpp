#include "ui/menu/ModeChip.h"

#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/menu/Accessible.h"
#include "ui/menu/Paint.h"

ModeChip::ModeChip(const QString& title, bool selected, std::function<void()> action, QWidget* parent)
    : kit::Clickable(parent), title_(title), selected_(selected) {
  menu::installAccessibility();
  onClick = std::move(action);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  setAccessibleName(title_);
}

QFont ModeChip::font() const { return kit::font(11, selected_ ? QFont::DemiBold : QFont::Normal); }

void ModeChip::setTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  setAccessibleName(title_);
  updateGeometry();
  update();
}

void ModeChip::setSelected(bool selected) {
  if (selected == selected_) return;
  selected_ = selected;
  updateGeometry();  // the semibold face is wider
  update();
}

QSize ModeChip::sizeHint() const { return {int(menu::width(title_, font()) + 14), 18}; }

void ModeChip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF r = rect();
  if (selected_) {
    kit::fillWithInnerBorder(p, r, 4, Ink::seal(), Qt::transparent, 0);
  } else if (hovered()) {
    kit::fillWithInnerBorder(p, r, 4, Ink::fill(), Qt::transparent, 0);
  }
  menu::drawText(p, this, r.adjusted(7, 0, -7, 0), title_, font(), selected_ ? Ink::hanjiLight() : Ink::sub(),
                 Qt::AlignHCenter);
}
