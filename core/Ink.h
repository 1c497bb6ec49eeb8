#pragma once
#include <QColor>

// The program's own palette: dark ink on warm paper with a red seal. Base
// colours are fixed; the role colours have a light and a dark variant and the
// plain accessors pick the one for the current appearance at each call, so a
// change of appearance needs nothing rebuilt.
namespace Ink {

// A colour with a light-appearance and a dark-appearance variant.
struct Dyn {
  QColor light;
  QColor dark;
  QColor resolve(bool darkAppearance) const { return darkAppearance ? dark : light; }
  // The variant for the current appearance (Appearance::isDark()).
  QColor current() const;
};

// Fixed base colours.
QColor mook();        // #1F1D1A, ink
QColor hanji();       // #E4DDCF, paper
QColor hanjiLight();  // #F6F2EA, light paper
QColor seal();        // #C4553A, seal red

// Role colours, light and dark.
const Dyn& panelDyn();
const Dyn& textDyn();
const Dyn& subDyn();
const Dyn& faintDyn();
const Dyn& ruleDyn();
const Dyn& fillDyn();
const Dyn& sealTextDyn();
const Dyn& borderDyn();

// Role colours for the current appearance, and for an explicit one.
QColor panel();
QColor panel(bool dark);
QColor text();
QColor text(bool dark);
QColor sub();
QColor sub(bool dark);
QColor faint();
QColor faint(bool dark);
QColor rule();
QColor rule(bool dark);
QColor fill();
QColor fill(bool dark);
QColor sealText();
QColor sealText(bool dark);
QColor border();
QColor border(bool dark);

}  // namespace Ink
