#include "core/Ink.h"

#include "platform/Appearance.h"

namespace Ink {
namespace {

QColor rgb(int r, int g, int b, qreal alpha = 1.0) {
  QColor c(r, g, b);
  c.setAlphaF(float(alpha));
  return c;
}

QColor withAlpha(QColor c, qreal alpha) {
  c.setAlphaF(float(alpha));
  return c;
}

}  // namespace

QColor Dyn::current() const { return resolve(Appearance::isDark()); }

QColor mook() { return rgb(31, 29, 26); }
QColor hanji() { return rgb(228, 221, 207); }
QColor hanjiLight() { return rgb(246, 242, 234); }
QColor seal() { return rgb(196, 85, 58); }

const Dyn& panelDyn() {
  static const Dyn d{hanjiLight(), mook()};
  return d;
}
const Dyn& textDyn() {
  static const Dyn d{mook(), hanji()};
  return d;
}
const Dyn& subDyn() {
  static const Dyn d{rgb(74, 68, 60), rgb(207, 199, 185)};
  return d;
}
const Dyn& faintDyn() {
  static const Dyn d{rgb(107, 100, 90), rgb(156, 148, 136)};
  return d;
}
const Dyn& ruleDyn() {
  static const Dyn d{withAlpha(mook(), 0.10), withAlpha(hanji(), 0.10)};
  return d;
}
// Fill and border trade their alphas between the appearances (0.06/0.08 and
// 0.08/0.06): deliberate, not a slip.
const Dyn& fillDyn() {
  static const Dyn d{withAlpha(mook(), 0.06), withAlpha(hanji(), 0.08)};
  return d;
}
const Dyn& sealTextDyn() {
  static const Dyn d{rgb(176, 74, 49), rgb(233, 135, 110)};
  return d;
}
const Dyn& borderDyn() {
  static const Dyn d{withAlpha(mook(), 0.08), withAlpha(hanji(), 0.06)};
  return d;
}

QColor panel() { return panelDyn().current(); }
QColor panel(bool dark) { return panelDyn().resolve(dark); }
QColor text() { return textDyn().current(); }
QColor text(bool dark) { return textDyn().resolve(dark); }
QColor sub() { return subDyn().current(); }
QColor sub(bool dark) { return subDyn().resolve(dark); }
QColor faint() { return faintDyn().current(); }
QColor faint(bool dark) { return faintDyn().resolve(dark); }
QColor rule() { return ruleDyn().current(); }
QColor rule(bool dark) { return ruleDyn().resolve(dark); }
QColor fill() { return fillDyn().current(); }
QColor fill(bool dark) { return fillDyn().resolve(dark); }
QColor sealText() { return sealTextDyn().current(); }
QColor sealText(bool dark) { return sealTextDyn().resolve(dark); }
QColor border() { return borderDyn().current(); }
QColor border(bool dark) { return borderDyn().resolve(dark); }

}  // namespace Ink
