#pragma once
// Helpers for view tests: synthetic pointer events, renders at 2x, and colour
// probes at logical positions.
#include <QApplication>
#include <QColor>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <cmath>
#include <cstdlib>
#include <ostream>

#include "tests/support/Printers.h"
#include "ui/kit/Render.h"

namespace probe {

inline void click(QWidget* w, QPointF pos = {-1, -1}) {
  if (pos.x() < 0) pos = QRectF(w->rect()).center();
  QMouseEvent press(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, pos, w->mapToGlobal(pos), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

inline void hover(QWidget* w, bool in) {
  if (in) {
    const QPointF pos(2, 2);
    QEnterEvent enter(pos, pos, w->mapToGlobal(pos));
    QApplication::sendEvent(w, &enter);
  } else {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
  }
}

inline constexpr qreal kDpr = 2;

// Lays the widget out at its fitting size and renders it at 2x.
inline QImage render(QWidget* w) {
  w->resize(w->sizeHint());
  kit::renderWidget(w, kDpr);  // first pass settles nested layouts
  return kit::renderWidget(w, kDpr);
}

// The colour at a logical position of a render.
inline QColor at(const QImage& img, QPointF logical) {
  return QColor::fromRgba(img.pixel(int(logical.x() * kDpr), int(logical.y() * kDpr)));
}

// The colour at a logical position given in `child`'s coordinates, `root` being the rendered widget.
inline QColor at(const QImage& img, const QWidget* root, const QWidget* child, QPointF pos) {
  return at(img, child->mapTo(root, pos));
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 8) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// `over` drawn on `under` at an opacity.
inline QColor blend(const QColor& over, const QColor& under, qreal opacity) {
  auto mix = [&](int a, int b) { return int(std::lround(a * opacity + b * (1 - opacity))); };
  return QColor(mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue()));
}

// A region of a render in logical coordinates.
inline QImage crop(const QImage& img, QRectF logical) {
  const QRect r(int(std::lround(logical.x() * kDpr)), int(std::lround(logical.y() * kDpr)),
                int(std::lround(logical.width() * kDpr)), int(std::lround(logical.height() * kDpr)));
  return img.copy(r);
}

}  // namespace probe

#include <QPainter>

#include "core/Ink.h"

namespace probe {

// A piece of panel for a control to sit on, so translucent inks composite
// the way they do in the menu.
class Backdrop : public QWidget {
 public:
  explicit Backdrop(QSize size) { resize(size); }
  template <typename W>
  W* hold(W* child, QRect geometry) {
    child->setParent(this);
    child->setGeometry(geometry);
    return child;
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Ink::panel()); }
};

// An ink as it shows on the panel.
inline QColor onPanel(const QColor& ink) { return blend(QColor(ink.rgb()), Ink::panel(), ink.alphaF()); }

inline QImage renderAsIs(QWidget* w) { return kit::renderWidget(w, kDpr); }

}  // namespace probe
