#include "ui/menu/SealCheck.h"

#include <QPainter>

#include "ui/menu/Accessible.h"
#include "ui/menu/Marks.h"
#include "ui/menu/Paint.h"

SealCheck::SealCheck(Binding binding, const QString& label, QWidget* parent)
    : kit::Clickable(parent), binding_(std::move(binding)) {
  menu::installAccessibility();
  setFixedSize(36, 28);
  setAccessibleName(label);
  onClick = [this] { flip(); };
  refresh();
}

void SealCheck::setLabel(const QString& label, const QString& onText, const QString& offText) {
  setAccessibleName(label);
  onText_ = onText;
  offText_ = offText;
  refresh();
}

void SealCheck::refresh() { update(); }

void SealCheck::flip() {
  if (binding_.set) binding_.set(!isOn());
  refresh();
}

void SealCheck::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!isEnabled()) p.setOpacity(menu::kDisabledOpacity);
  // The figure sits at the trailing edge but is itself never mirrored.
  const QRectF box = menu::visual(this, QRectF(width() - marks::kSize, (height() - marks::kSize) / 2, marks::kSize,
                                               marks::kSize));
  marks::checkBox(p, box.topLeft(), isOn());
}
