#pragma once
#include <QPointF>

class QPainter;

// The two marks of the menu's choices, each on a 13 x 13 canvas that is never
// mirrored: the check box (a rounded square, seal-filled with a light tick
// when on) and the radio ring (a seal dot when on).
namespace marks {

inline constexpr qreal kSize = 13;

void checkBox(QPainter& painter, const QPointF& topLeft, bool on);
void radio(QPainter& painter, const QPointF& topLeft, bool on);

}  // namespace marks
