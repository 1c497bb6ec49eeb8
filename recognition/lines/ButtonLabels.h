#pragma once
#include <QImage>
#include <QRect>
#include <QString>
#include <vector>

// A short label alone on a button's face, centred between its sides: a
// keypad's "7", "(", "-" or "+/-", a dialog's "OK". Read alone, such a label
// looks like chrome (a mark of no letter, a letter in a square box), and
// the text detector gives the flattest ones ("-", "=", ".") no box at all.
// What stands alone and centred in a framed face of a button's size, thin
// strokes and no filled shape, is a label; an icon, an arrow's triangle, a
// tick in its box or a field's edge is none: filled, not centred, or with no
// room around it.
namespace ocr {

// Whether the ink within `box` of `source` (dark on light as a whole, not
// cleaned of chrome: the button's frame is what is looked for) stands alone
// and centred on a button's face, and whether it is a label or a mark: an
// arrow's filled triangle (a tool button's, read as "4" or "ad"), or a tick
// filling its check box (read as "V" or "w"). `lineHeight` is the page's
// typical ink height.
enum class OnButton { No, Label, Mark };
OnButton onButtonFace(const QImage& source, const QRect& box, double lineHeight);

// Boxes for ink in no box of `boxes` that stands alone on a button's face,
// its ink found in `cleaned` (the page cleaned of chrome, Format_Grayscale8,
// ink at least `inkThreshold` darker than `ground`) and its frame in
// `source`: each box a line high across the button's middle, as the
// detector boxes a line. None when there are more than a page of keys
// holds: such a crowd is a pattern, not labels.
std::vector<QRect> buttonLabelBoxes(const QImage& source, const QImage& cleaned, int ground, int inkThreshold,
                                    double lineHeight, const std::vector<QRect>& boxes);

// The labels of `keys` (boxes of `cleaned`, Format_Grayscale8, the page
// cleaned of chrome on `ground`) that the cleaning took for chrome (a lone
// "*" looks like a mark) given back their pixels from `source` (dark on
// light, as large).
void restoreLabels(QImage& cleaned, int ground, const QImage& source, const std::vector<QRect>& keys);

// A drop-down's arrow after a button's label ("MS" and a chevron, read as
// "MS v" or "MRY") painted over with `ground` in `part` (a line's cut-out,
// Format_Grayscale8, dark on light): a "v" apart after the last glyph,
// standing between the line's top and its foot where a letter "v" stands
// on the foot, with one run of ink in each column falling and rising again.
void clearDropArrow(QImage& part, int ground);

// Whether a line read from a box on a button's face, with `confidence`, can
// be its label: up to three letters, digits or the signs of keys, read well.
bool keyLabel(const QString& text, double confidence);

}  // namespace ocr
