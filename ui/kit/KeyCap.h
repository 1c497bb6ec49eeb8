#pragma once
#include <QFont>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <QStringList>

class QPainter;

// One key of a shortcut drawn as a small outlined cap: the key's name at 10
// px in the secondary ink, 4 px either side, 16 px high, a 1 px border of the
// faint ink at half strength. Caps of a shortcut stand in a row 3 px apart,
// always left to right, also in a right-to-left interface.
namespace kit::keycap {

inline constexpr qreal kHeight = 16;
inline constexpr qreal kSpacing = 3;

QFont font();
// A cap's size: its text's width plus 8, by 16; wider for longer names.
QSizeF size(const QString& key);
// The width of a row of caps with their spacing; 0 for none.
qreal rowWidth(const QStringList& caps);

// Draws one cap with its top-left corner at `topLeft`, in the current appearance's inks.
void paint(QPainter& painter, const QPointF& topLeft, const QString& key);
// Draws a row of caps from `topLeft`, left to right.
void paintRow(QPainter& painter, const QPointF& topLeft, const QStringList& caps);

}  // namespace kit::keycap
