#include "ui/menu/ChoiceRow.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Text.h"
#include "ui/menu/Marks.h"
#include "ui/menu/Accessible.h"
#include "ui/menu/Paint.h"

namespace {
constexpr qreal kPad = 8;
constexpr qreal kSpacing = 8;
constexpr qreal kSpacer = 4;
constexpr qreal kSubPad = 5;
constexpr qreal kTitleSubGap = 1;
QFont titleFont() { return kit::font(12.5, QFont::Normal); }
QFont smallFont() { return kit::font(11, QFont::Normal); }
}  // namespace

ChoiceRow::ChoiceRow(Spec spec, std::function<void()> action, QWidget* parent)
    : kit::Clickable(parent), spec_(std::move(spec)) {
  menu::installAccessibility();
  onClick = std::move(action);
  QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setAccessibleName(spec_.sub ? spec_.title + QLatin1Char('\n') + *spec_.sub : spec_.title);
}

void ChoiceRow::setSpec(const Spec& spec) {
  if (spec == spec_) return;
  const bool sizeMayChange = spec.title != spec_.title || spec.sub != spec_.sub || spec.trailing != spec_.trailing ||
                             spec.height != spec_.height;
  spec_ = spec;
  setAccessibleName(spec_.sub ? spec_.title + QLatin1Char('\n') + *spec_.sub : spec_.title);
  if (sizeMayChange) updateGeometry();
  update();
}

// Mark, spacing, text, spacing, spacer (and spacing and trailing text).
qreal ChoiceRow::textWidthFor(qreal rowWidth) const {
  qreal rest = 2 * kPad + marks::kSize + kSpacing + kSpacing + kSpacer;
  if (spec_.trailing) rest += kSpacing + menu::width(*spec_.trailing, smallFont());
  return std::max<qreal>(1, rowWidth - rest);
}

int ChoiceRow::heightForWidth(int width) const {
  qreal content = menu::lineHeight(titleFont());
  if (spec_.sub) content += kTitleSubGap + kit::TextBlock(*spec_.sub, smallFont(), textWidthFor(width)).height();
  content = std::max(content, marks::kSize);
  const qreal padded = content + (spec_.sub ? 2 * kSubPad : 0);
  const qreal minimum = spec_.height ? *spec_.height : (spec_.sub ? 30 : 26);
  return int(std::ceil(std::max(padded, minimum)));
}

QSize ChoiceRow::sizeHint() const {
  qreal w = 2 * kPad + marks::kSize + 2 * kSpacing + kSpacer + menu::width(spec_.title, titleFont());
  if (spec_.trailing) w += kSpacing + menu::width(*spec_.trailing, smallFont());
  return {int(std::ceil(w)), heightForWidth(int(std::ceil(w)))};
}

void ChoiceRow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF r = rect();
  if (spec_.selected || hovered()) kit::fillWithInnerBorder(p, r, 6, Ink::fill(), Qt::transparent, 0);

  const qreal midY = r.height() / 2;
  const QRectF markBox = menu::visual(this, QRectF(kPad, midY - marks::kSize / 2, marks::kSize, marks::kSize));
  if (spec_.mark.kind == Mark::Kind::radio) {
    marks::radio(p, markBox.topLeft(), spec_.mark.on);
  } else {
    marks::checkBox(p, markBox.topLeft(), spec_.mark.on);
  }

  const qreal textX = kPad + marks::kSize + kSpacing;
  const qreal textW = textWidthFor(r.width());
  const qreal titleH = menu::lineHeight(titleFont());
  std::optional<kit::TextBlock> sub;
  qreal contentH = titleH;
  if (spec_.sub) {
    kit::BlockOptions options;
    options.direction = layoutDirection();
    sub.emplace(*spec_.sub, smallFont(), textW, options);
    contentH += kTitleSubGap + sub->height();
  }
  const qreal top = midY - contentH / 2;
  menu::drawText(p, this, QRectF(textX, top, textW, titleH), spec_.title, titleFont(),
                 spec_.selected ? Ink::text() : Ink::sub());
  if (sub) sub->paint(p, menu::visual(this, QRectF(textX, top + titleH + kTitleSubGap, textW, 0)).topLeft(), Ink::faint());

  if (spec_.trailing) {
    const qreal tw = menu::width(*spec_.trailing, smallFont());
    menu::drawText(p, this, QRectF(r.width() - kPad - tw, 0, tw, r.height()), *spec_.trailing, smallFont(),
                   Ink::faint());
  }
}
