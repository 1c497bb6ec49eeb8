#include "core/Ink.h"

namespace Ink {
namespace {

QColor withAlpha(QColor c, float alpha) {
  c.setAlphaF(alpha);
  return c;
}

}  // namespace

QColor mook() { return {31, 29, 26}; }
QColor hanji() { return {228, 221, 207}; }
QColor hanjiLight() { return {246, 242, 234}; }
QColor seal() { return {196, 85, 58}; }

QColor panel(bool dark) { return dark ? mook() : hanjiLight(); }
QColor text(bool dark) { return dark ? hanji() : mook(); }
QColor sub(bool dark) { return dark ? QColor(207, 199, 185) : QColor(74, 68, 60); }
QColor faint(bool dark) { return dark ? QColor(156, 148, 136) : QColor(107, 100, 90); }
QColor rule(bool dark) { return withAlpha(dark ? hanji() : mook(), 0.10f); }
// Fill and border trade their alphas between the appearances (0.06/0.08 and
// 0.08/0.06): deliberate, not a slip.
QColor fill(bool dark) { return dark ? withAlpha(hanji(), 0.08f) : withAlpha(mook(), 0.06f); }
QColor border(bool dark) { return dark ? withAlpha(hanji(), 0.06f) : withAlpha(mook(), 0.08f); }
QColor sealText(bool dark) { return dark ? QColor(233, 135, 110) : QColor(176, 74, 49); }

}  // namespace Ink
