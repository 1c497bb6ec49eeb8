#include "ui/kit/StillHold.h"

#include <QVariant>
#include <QWidget>

namespace {
constexpr char kHeld[] = "tarvok_heldForStill";
}

namespace stillhold {

void hold(QWidget* w) {
  w->setProperty(kHeld, true);
  w->hide();
}

void release(QWidget* w) {
  const bool held = w->property(kHeld).toBool();
  w->setProperty(kHeld, QVariant());
  if (held && !w->isVisible()) w->show();
}

void dismiss(QWidget* w) { w->setProperty(kHeld, QVariant()); }

}  // namespace stillhold
