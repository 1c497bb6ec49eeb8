#pragma once
#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

#include "ui/kit/Text.h"

class QPainter;
class QWidget;

// Drawing helpers shared by the menu's painted rows. Rows lay their parts out
// from the leading edge; these turn such rectangles into the widget's visual
// coordinates, so a right-to-left interface mirrors every row.
namespace menu {

// The theme inks a row's parts are drawn in, resolved at paint time so a
// change of appearance shows at the next repaint.
enum class Tone { text, sub, faint, seal, paper };
QColor tone(Tone tone);

// How much a disabled row fades.
inline constexpr qreal kDisabledOpacity = 0.45;

bool isRTL(const QWidget* widget);

// `r` measured from the widget's leading edge, in visual coordinates.
QRectF visual(const QWidget* widget, const QRectF& r);

// One line of text in a rect measured from the leading edge: aligned to its
// leading side (or trailing, with Qt::AlignTrailing), vertically centred,
// fitted by eliding (and shrinking first when the options ask for it).
void drawText(QPainter& painter, const QWidget* widget, const QRectF& r, const QString& text, const QFont& font,
              const QColor& color, Qt::Alignment alignment = Qt::AlignLeading,
              kit::LineOptions options = {});

// The width of one line in a font, rounded up to whole pixels.
qreal width(const QString& text, const QFont& font, qreal letterSpacing = 0);
// The height of one line in a font.
qreal lineHeight(const QFont& font);

}  // namespace menu
