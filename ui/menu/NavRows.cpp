#include "ui/menu/NavRows.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/menu/Accessible.h"
#include "ui/menu/Paint.h"

namespace {
constexpr qreal kPad = 8;
constexpr qreal kNavGap = 6;
constexpr qreal kBackGap = 8;
QFont navTitleFont() { return kit::font(12.5, QFont::Normal); }
QFont summaryFont() { return kit::font(11, QFont::Normal); }
QFont backTitleFont() { return kit::font(13, QFont::DemiBold); }
}  // namespace

NavRow::NavRow(std::function<void()> action, QWidget* parent) : kit::Clickable(parent) {
  menu::installAccessibility();
  onClick = std::move(action);
  setFixedHeight(28);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void NavRow::setTexts(const QString& title, const QString& summary) {
  if (title == title_ && summary == summary_) return;
  title_ = title;
  summary_ = summary;
  setAccessibleName(title_ + QStringLiteral(", ") + summary_);
  updateGeometry();
  update();
}

QSize NavRow::sizeHint() const {
  const qreal w = 2 * kPad + menu::width(title_, navTitleFont()) + kNavGap + menu::width(summary_, summaryFont()) +
                  kNavGap + kit::symbolSize(kit::Symbol::chevronForward, 9).width();
  return {int(std::ceil(w)), 28};
}

void NavRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF r = rect();
  if (hovered()) kit::fillWithInnerBorder(p, r, 6, Ink::fill(), Qt::transparent, 0);
  const qreal chevronW = kit::symbolSize(kit::Symbol::chevronForward, 9).width();
  const QRectF chevron(r.width() - kPad - chevronW, 0, chevronW, r.height());
  kit::drawSymbol(p, kit::Symbol::chevronForward, menu::visual(this, chevron), 9, QFont::DemiBold, Ink::faint(),
                  layoutDirection());
  // The title keeps its width; the summary takes what is left and gives way first.
  const qreal avail = r.width() - 2 * kPad - chevronW - kNavGap;
  const qreal titleW = std::min(menu::width(title_, navTitleFont()), avail);
  menu::drawText(p, this, QRectF(kPad, 0, titleW, r.height()), title_, navTitleFont(), Ink::sub());
  const qreal summaryW = std::max<qreal>(0, avail - titleW - kNavGap);
  if (summaryW > 0) {
    menu::drawText(p, this, QRectF(chevron.left() - kNavGap - summaryW, 0, summaryW, r.height()), summary_,
                   summaryFont(), Ink::faint(), Qt::AlignTrailing);
  }
}

BackRow::BackRow(std::function<void()> action, QWidget* parent) : kit::Clickable(parent) {
  menu::installAccessibility();
  onClick = std::move(action);
  setFixedHeight(30);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void BackRow::setTexts(const QString& title, const QString& accessibleName) {
  setAccessibleName(accessibleName);
  if (title == title_) return;
  title_ = title;
  updateGeometry();
  update();
}

QSize BackRow::sizeHint() const {
  const qreal w = 2 * kPad + kit::symbolSize(kit::Symbol::chevronBackward, 10).width() + kBackGap +
                  menu::width(title_, backTitleFont());
  return {int(std::ceil(w)), 30};
}

void BackRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF r = rect();
  const qreal chevronW = kit::symbolSize(kit::Symbol::chevronBackward, 10).width();
  kit::drawSymbol(p, kit::Symbol::chevronBackward, menu::visual(this, QRectF(kPad, 0, chevronW, r.height())), 10,
                  QFont::DemiBold, Ink::sub(), layoutDirection());
  const qreal x = kPad + chevronW + kBackGap;
  menu::drawText(p, this, QRectF(x, 0, r.width() - x - kPad, r.height()), title_, backTitleFont(), Ink::text());
}
