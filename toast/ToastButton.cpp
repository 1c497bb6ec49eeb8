#include "toast/ToastButton.h"

#include <QPainter>
#include <cmath>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Text.h"

namespace {
constexpr int kPad = 8;
constexpr int kHeight = 24;
QFont::Weight weightOf(bool strong) { return strong ? QFont::Medium : QFont::Normal; }
}  // namespace

ToastButton::ToastButton(QWidget* parent) : kit::Clickable(parent) {
  // A click must leave the keyboard where it was.
  setFocusPolicy(Qt::NoFocus);
  connect(this, &kit::Clickable::hoveredChanged, this, [this] { update(); });
}

void ToastButton::setTitle(const QString& title) {
  if (title == title_) return;
  title_ = title;
  setAccessibleName(title);
  updateGeometry();
  update();
}

void ToastButton::setStrong(bool strong) {
  if (strong == strong_) return;
  strong_ = strong;
  updateGeometry();
  update();
}

int ToastButton::widthFor(const QString& title, bool strong) {
  return int(std::ceil(Fonts::textWidth(title, 12, weightOf(strong)))) + 2 * kPad;
}

QSize ToastButton::sizeHint() const { return {widthFor(title_, strong_), kHeight}; }

void ToastButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  if (filled()) p.fillPath(kit::continuousRect(QRectF(rect()), 6), Ink::fill());
  // The button is as wide as its label, so the label is drawn whole.
  p.setFont(kit::font(12, weightOf(strong_)));
  p.setPen(strong_ ? Ink::text() : Ink::sub());
  p.drawText(QRectF(rect()), Qt::AlignCenter | Qt::TextSingleLine, title_);
}
