#include "ui/onboarding/ObButton.h"

#include <QEvent>
#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Text.h"

namespace {
constexpr int kPad = 12;
constexpr qreal kRadius = 7;
QFont labelFont(bool strong) { return kit::font(12.5, strong ? QFont::DemiBold : QFont::Normal); }
}  // namespace

ObButton::ObButton(const QString& title, bool strong, std::function<void()> action, QWidget* parent)
    : kit::Clickable(parent), strong_(strong) {
  onClick = std::move(action);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  connect(this, &kit::Clickable::hoveredChanged, this, [this] { update(); });
  setTitle(title);
}

void ObButton::setTitle(const QString& title) {
  if (title == title_ && !accessibleName().isEmpty()) return;
  title_ = title;
  setAccessibleName(title);
  updateGeometry();
  update();
}

void ObButton::setStrong(bool strong) {
  if (strong == strong_) return;
  strong_ = strong;
  updateGeometry();
  update();
}

void ObButton::setOpacity(qreal opacity) {
  if (opacity == opacity_) return;
  opacity_ = opacity;
  update();
}

int ObButton::widthFor(const QString& title, bool strong) {
  return int(std::ceil(kit::lineWidth(title, labelFont(strong)))) + 2 * kPad;
}

QSize ObButton::sizeHint() const { return {widthFor(title_, strong_), kHeight}; }

void ObButton::changeEvent(QEvent* event) {
  kit::Clickable::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) update();
}

void ObButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setOpacity(opacity_);
  const bool over = hovered() && isEnabled();
  QColor plate;
  if (strong_) {
    plate = Ink::seal();
    if (over) plate.setAlphaF(0.85);
  } else {
    plate = Ink::fill();
    if (over) plate.setAlphaF(std::min<qreal>(1.0, plate.alphaF() * 1.6));
  }
  const QRectF r(rect());
  p.fillPath(kit::continuousRect(r, kRadius), plate);
  // A button squeezed below its natural width elides its label.
  kit::LineOptions options;
  options.direction = layoutDirection();
  kit::drawLine(p, r.adjusted(kPad, 0, -kPad, 0), title_, labelFont(strong_),
                strong_ ? Ink::hanjiLight() : Ink::text(), Qt::AlignCenter, options);
}
