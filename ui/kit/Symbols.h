#pragma once
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <Qt>

class QPainter;

// Small line symbols drawn in code, sized like a glyph of the given font size
// so they sit beside text of that size.
namespace kit {

enum class Symbol {
  chevronForward,   // points the way reading goes: right, or left in a right-to-left interface
  chevronBackward,  // the opposite way
  magnifier,        // a search lens, handle to the lower right
  clear,            // a filled disc with a cross cut out
};

// The box a symbol takes at a font size (in logical pixels).
QSizeF symbolSize(Symbol symbol, qreal size);

// Draws the symbol centred in `box`. The weight sets the stroke (regular,
// medium or semibold); `direction` turns the chevrons; the others never mirror.
void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, qreal size, QFont::Weight weight,
                const QColor& color, Qt::LayoutDirection direction = Qt::LeftToRight);

}  // namespace kit
