#pragma once
#include <QImage>

class QWidget;

namespace kit {

// Renders a widget that need not ever be shown into a transparent image at the
// given device pixel ratio, after laying it out at its current (or adjusted)
// size. Tests and the snapshot renderer share it.
QImage renderWidget(QWidget* widget, qreal dpr = 1.0);

}  // namespace kit
