#include "ui/menu/MenuRow.h"

#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/menu/Accessible.h"
#include "ui/menu/Paint.h"

namespace {
constexpr qreal kPad = 8;
constexpr qreal kGap = 8;  // between title and hint when both are long
QFont titleFont() { return kit::font(12.5, QFont::Normal); }
QFont hintFont() { return kit::font(11, QFont::Normal); }
}  // namespace

MenuRow::MenuRow(const QString& title, std::optional<QString> trailing, std::function<void()> action,
                 QWidget* parent)
    : kit::Clickable(parent), title_(title), trailing_(std::move(trailing)) {
  menu::installAccessibility();
  onClick = std::move(action);
  setFixedHeight(28);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setAccessibleName(title_);
}

void MenuRow::setTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  setAccessibleName(title_);
  updateGeometry();
  update();
}

void MenuRow::setTrailing(std::optional<QString> trailing) {
  if (trailing == trailing_) return;
  trailing_ = std::move(trailing);
  updateGeometry();
  update();
}

QSize MenuRow::sizeHint() const {
  qreal w = 2 * kPad + menu::width(title_, titleFont());
  if (trailing_) w += kGap + menu::width(*trailing_, hintFont());
  return {int(std::ceil(w)), 28};
}

void MenuRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF r = rect();
  if (hovered()) kit::fillWithInnerBorder(p, r, 6, Ink::fill(), Qt::transparent, 0);
  const QColor ink = hovered() ? Ink::text() : Ink::faint();
  qreal hintW = 0;
  if (trailing_) {
    hintW = menu::width(*trailing_, hintFont());
    menu::drawText(p, this, QRectF(r.width() - kPad - hintW, 0, hintW, r.height()), *trailing_, hintFont(), ink);
  }
  const qreal titleW = r.width() - 2 * kPad - (trailing_ ? hintW + kGap : 0);
  menu::drawText(p, this, QRectF(kPad, 0, titleW, r.height()), title_, titleFont(), ink);
}
