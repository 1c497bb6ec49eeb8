#include "ui/menu/Pieces.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Text.h"

Rule::Rule(QWidget* parent) : QWidget(parent) {
  setFixedHeight(9);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Rule::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(QRectF(8, 4, width() - 16, 1), Ink::rule());
}

SectionHeader::SectionHeader(qreal size, qreal top, qreal bottom, QWidget* parent)
    : QWidget(parent), size_(size), top_(top), bottom_(bottom) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(int(std::ceil(top_ + menu::lineHeight(kit::font(size_, QFont::Normal)) + bottom_)));
}

void SectionHeader::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text_);
  updateGeometry();
  update();
}

qreal SectionHeader::letterSpacing() const { return menu::isRTL(this) ? 0 : 1.6; }

QSize SectionHeader::sizeHint() const {
  return {int(16 + menu::width(text_, kit::font(size_, QFont::Normal), letterSpacing())), height()};
}

void SectionHeader::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LayoutDirectionChange) update();
  QWidget::changeEvent(event);
}

void SectionHeader::paintEvent(QPaintEvent*) {
  QPainter p(this);
  kit::LineOptions options;
  options.letterSpacing = letterSpacing();
  const QFont font = kit::font(size_, QFont::Normal);
  menu::drawText(p, this, QRectF(8, top_, width() - 16, menu::lineHeight(font)), text_, font, Ink::faint(),
                 Qt::AlignLeading, options);
}

Note::Note(qreal size, menu::Tone tone, QMargins insets, QWidget* parent)
    : QWidget(parent), size_(size), tone_(tone), insets_(insets) {
  QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void Note::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text_);
  updateGeometry();
  update();
}

void Note::setTone(menu::Tone tone) {
  tone_ = tone;
  update();
}

int Note::heightForWidth(int width) const {
  const qreal textW = std::max(1, width - insets_.left() - insets_.right());
  return int(std::ceil(insets_.top() + kit::TextBlock(text_, kit::font(size_, QFont::Normal), textW).height() +
                       insets_.bottom()));
}

QSize Note::sizeHint() const { return {200, heightForWidth(200)}; }

void Note::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const qreal textW = std::max(1, width() - insets_.left() - insets_.right());
  kit::BlockOptions options;
  options.direction = layoutDirection();
  const kit::TextBlock block(text_, kit::font(size_, QFont::Normal), textW, options);
  block.paint(p, menu::visual(this, QRectF(insets_.left(), insets_.top(), textW, 0)).topLeft(), menu::tone(tone_));
}
