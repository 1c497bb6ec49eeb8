#include "ui/menu/Rows.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/AppMark.h"
#include "core/Fonts.h"
#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/menu/ModeChip.h"
#include "ui/menu/Paint.h"
#include "ui/menu/ShortcutButton.h"

namespace {
constexpr qreal kPad = 8;
QFont labelFont() { return kit::font(12.5, QFont::Normal); }

// The pick row's main button: its text at the leading side, the whole
// rectangle clickable.
class PickButton : public kit::Clickable {
 public:
  using kit::Clickable::Clickable;
  QString text;
  QSize sizeHint() const override {
    return {int(kPad + menu::width(text, kit::font(13, QFont::Medium))), 32};
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    menu::drawText(p, this, QRectF(kPad, 0, width() - kPad, height()), text, kit::font(13, QFont::Medium),
                   Ink::text());
  }
};

}  // namespace

ToggleRow::ToggleRow(SealCheck::Binding binding, QWidget* parent)
    : QWidget(parent), check_(new SealCheck(std::move(binding), QString(), this)) {
  setFixedHeight(28);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ToggleRow::setTexts(const QString& label, const QString& onText, const QString& offText) {
  check_->setLabel(label, onText, offText);
  if (label == label_) return;
  label_ = label;
  updateGeometry();
  update();
}

void ToggleRow::setDimmed(bool dimmed) {
  if (dimmed == !isEnabled()) return;
  setEnabled(!dimmed);
  update();
  check_->update();
}

QSize ToggleRow::sizeHint() const { return {int(2 * kPad + menu::width(label_, labelFont()) + 4 + 36), 28}; }

void ToggleRow::place() {
  check_->setGeometry(menu::visual(this, QRectF(width() - kPad - 36, 0, 36, 28)).toRect());
}

void ToggleRow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place();
}

void ToggleRow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LayoutDirectionChange) place();
  QWidget::changeEvent(event);
}

void ToggleRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!isEnabled()) p.setOpacity(menu::kDisabledOpacity);
  kit::LineOptions options;
  options.shrinkToFit = true;
  menu::drawText(p, this, QRectF(kPad, 0, width() - 2 * kPad - 36 - 4, height()), label_, labelFont(), Ink::sub(),
                 Qt::AlignLeading, options);
}

ModeRow::ModeRow(std::function<void()> chooseFast, std::function<void()> chooseAccurate, QWidget* parent)
    : QWidget(parent),
      fast_(new ModeChip(QString(), false, std::move(chooseFast), this)),
      accurate_(new ModeChip(QString(), true, std::move(chooseAccurate), this)) {
  setFixedHeight(28);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ModeRow::setTexts(const QString& label, const QString& fast, const QString& accurate) {
  label_ = label;
  fast_->setTitle(fast);
  accurate_->setTitle(accurate);
  place();
  updateGeometry();
  update();
}

void ModeRow::setFast(bool fast) {
  fast_->setSelected(fast);
  accurate_->setSelected(!fast);
  place();
  update();
}

QRectF ModeRow::switchRect() const {
  const qreal w = fast_->sizeHint().width() + 1 + accurate_->sizeHint().width() + 2;
  return {width() - 6 - w, (height() - 20) / 2.0, w, 20};
}

QSize ModeRow::sizeHint() const {
  return {int(kPad + menu::width(label_, labelFont()) + 8 + switchRect().width() + 6), 28};
}

void ModeRow::place() {
  const QRectF sw = switchRect();
  const QSize f = fast_->sizeHint();
  const QSize a = accurate_->sizeHint();
  fast_->setGeometry(menu::visual(this, QRectF(sw.left() + 1, sw.top() + 1, f.width(), f.height())).toRect());
  accurate_->setGeometry(
      menu::visual(this, QRectF(sw.left() + 1 + f.width() + 1, sw.top() + 1, a.width(), a.height())).toRect());
}

void ModeRow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place();
}

void ModeRow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LayoutDirectionChange) place();
  QWidget::changeEvent(event);
}

void ModeRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF sw = switchRect();
  menu::drawText(p, this, QRectF(kPad, 0, std::max<qreal>(0, sw.left() - 8 - kPad), height()), label_, labelFont(),
                 Ink::sub());
  QColor border = Ink::faint();
  border.setAlphaF(border.alphaF() * 0.35);
  kit::fillWithInnerBorder(p, menu::visual(this, sw), 5, Qt::transparent, border, 1);
}

PickRow::PickRow(Settings& settings, std::function<void()> capture, std::function<void()> record, QWidget* parent)
    : QWidget(parent) {
  setAttribute(Qt::WA_Hover);
  setFixedHeight(32);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  auto* pick = new PickButton(this);
  pick->onClick = std::move(capture);
  pick->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  pick_ = pick;
  shortcut_ = new ShortcutButton(settings, std::move(record), this);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(pick_, 1);
  row->addWidget(shortcut_);
}

void PickRow::setPickText(const QString& text) {
  auto* pick = static_cast<PickButton*>(pick_);
  pick->text = text;
  pick->setAccessibleName(text);
  pick->updateGeometry();
  pick->update();
}

void PickRow::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  shortcut_->setRowHover(true);
}

void PickRow::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  shortcut_->setRowHover(false);
}

void PickRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  kit::fillWithInnerBorder(p, rect(), 7, Ink::fill(), Qt::transparent, 0);
}

MenuHeader::MenuHeader(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  setFixedHeight(int(6 + std::max<qreal>(18, menu::lineHeight(Fonts::face(15))) + 8));
}

void MenuHeader::setTexts(const QString& name, const QString& tagline) {
  name_ = name;
  tagline_ = tagline;
  setFixedHeight(int(6 + std::max<qreal>(18, menu::lineHeight(Fonts::face(15))) + 8));
  setAccessibleName(name_);
  updateGeometry();
  update();
}

QSize MenuHeader::sizeHint() const {
  return {int(2 * kPad + 18 + 8 + menu::width(name_, Fonts::face(15)) + 8 +
              menu::width(tagline_, kit::font(11, QFont::Normal))),
          height()};
}

void MenuHeader::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const qreal top = 6;
  const qreal rowH = height() - 6 - 8;
  const QRectF mark = menu::visual(this, QRectF(kPad, top + (rowH - 18) / 2, 18, 18));
  AppMark::draw(p, mark, AppMark::State::picked, 0, true);

  const QFont nameFont = Fonts::face(15);
  const qreal spacing = Fonts::script() == Fonts::Script::korean ? 0.75 : 0;
  const qreal nameX = kPad + 18 + 8;
  const qreal nameW = std::min(menu::width(name_, nameFont, spacing), width() - nameX - kPad);
  kit::LineOptions options;
  options.letterSpacing = spacing;
  menu::drawText(p, this, QRectF(nameX, top, nameW, rowH), name_, nameFont, Ink::text(), Qt::AlignLeading, options);

  const qreal tagX = nameX + nameW + 8;
  const qreal tagW = width() - kPad - tagX;
  if (tagW > 0) {
    menu::drawText(p, this, QRectF(tagX, top, tagW, rowH), tagline_, kit::font(11, QFont::Normal), Ink::faint(),
                   Qt::AlignTrailing);
  }
}
