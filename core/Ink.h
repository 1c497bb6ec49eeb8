#pragma once
#include <QColor>

#include "platform/Appearance.h"

// The program's own palette: dark ink on warm paper with a red seal. Base
// colours are fixed; each role colour has a light and a dark variant, by
// default the one for the current appearance at each call, so a change of
// appearance needs nothing rebuilt.
namespace Ink {

// Fixed base colours.
QColor mook();        // #1F1D1A, ink
QColor hanji();       // #E4DDCF, paper
QColor hanjiLight();  // #F6F2EA, light paper
QColor seal();        // #C4553A, seal red

// Role colours.
QColor panel(bool dark = Appearance::isDark());
QColor text(bool dark = Appearance::isDark());
QColor sub(bool dark = Appearance::isDark());
QColor faint(bool dark = Appearance::isDark());
QColor rule(bool dark = Appearance::isDark());
QColor fill(bool dark = Appearance::isDark());
QColor sealText(bool dark = Appearance::isDark());
QColor border(bool dark = Appearance::isDark());

}  // namespace Ink
