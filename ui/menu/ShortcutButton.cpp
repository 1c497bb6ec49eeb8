#include "ui/menu/ShortcutButton.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/Shapes.h"
#include "ui/menu/Accessible.h"
#include "ui/menu/Paint.h"

namespace {
constexpr qreal kOuterPad = 8;
constexpr qreal kInnerPad = 6;
constexpr qreal kFaceHeight = 18;
constexpr qreal kCapGap = 6;
QFont promptFont() { return kit::font(11, QFont::Medium); }
QFont hintFont() { return kit::font(10.5, QFont::Normal); }
}  // namespace

ShortcutButton::ShortcutButton(Settings& settings, std::function<void()> action, QWidget* parent)
    : kit::Clickable(parent), settings_(settings) {
  menu::installAccessibility();
  onClick = std::move(action);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  connect(&settings_, &Settings::changed, this, &ShortcutButton::refresh);
  connect(this, &kit::Clickable::hoveredChanged, this, [this] { update(); });
  refresh();
}

void ShortcutButton::refresh() {
  const Strings s = L::table(settings_.language());
  setToolTip(s.changeShortcut);
  setAccessibleName(s.changeShortcut + QLatin1Char(' ') + settings_.shortcut().caps().join(QLatin1Char('+')));
  updateGeometry();
  update();
}

void ShortcutButton::setRowHover(bool hover) {
  if (hover == rowHover_) return;
  rowHover_ = hover;
  update();
}

ShortcutButton::Face ShortcutButton::face() const {
  if (settings_.recording()) return Face::recording;
  if (hovered()) return Face::hover;
  return Face::resting;
}

qreal ShortcutButton::restingWidth(const QString& changeText, const QStringList& caps) {
  return menu::width(changeText, hintFont()) + kCapGap + kit::keycap::rowWidth(caps);
}

qreal ShortcutButton::faceWidth(Face f) const {
  const Strings s = L::table(settings_.language());
  switch (f) {
    case Face::recording: return menu::width(s.pressKeys, promptFont()) + 2 * kInnerPad;
    case Face::hover: return menu::width(s.change, promptFont()) + 2 * kInnerPad;
    case Face::resting: return restingWidth(s.change, settings_.shortcut().caps());
  }
  return 0;
}

QSize ShortcutButton::sizeHint() const {
  const qreal w = std::max({faceWidth(Face::recording), faceWidth(Face::hover), faceWidth(Face::resting)});
  return {int(std::ceil(w + 2 * kOuterPad)), int(kFaceHeight)};
}

void ShortcutButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Strings s = L::table(settings_.language());
  const Face f = face();
  const qreal fw = faceWidth(f);
  // Faces stand at the trailing end of the frame.
  const qreal x = width() - kOuterPad - fw;
  const qreal midY = height() / 2.0;
  const QRectF faceRect(x, midY - kFaceHeight / 2, fw, kFaceHeight);

  switch (f) {
    case Face::recording: {
      kit::fillWithInnerBorder(p, menu::visual(this, faceRect), 4, Qt::transparent, Ink::seal(), 1);
      menu::drawText(p, this, faceRect, s.pressKeys, promptFont(), Ink::seal(), Qt::AlignHCenter);
      break;
    }
    case Face::hover: {
      QColor border = Ink::sub();
      border.setAlphaF(border.alphaF() * 0.6);
      kit::fillWithInnerBorder(p, menu::visual(this, faceRect), 4, Ink::fill(), border, 1);
      menu::drawText(p, this, faceRect, s.change, promptFont(), Ink::text(), Qt::AlignHCenter);
      break;
    }
    case Face::resting: {
      const qreal hintW = menu::width(s.change, hintFont());
      menu::drawText(p, this, QRectF(x, 0, hintW, height()), s.change, hintFont(),
                     rowHover_ ? Ink::sub() : Ink::faint());
      const QStringList caps = settings_.shortcut().caps();
      const qreal capsW = kit::keycap::rowWidth(caps);
      // The caps read left to right whatever the interface's direction.
      const QRectF capsRect = menu::visual(
          this, QRectF(x + hintW + kCapGap, midY - kit::keycap::kHeight / 2, capsW, kit::keycap::kHeight));
      kit::keycap::paintRow(p, capsRect.topLeft(), caps);
      break;
    }
  }
}
