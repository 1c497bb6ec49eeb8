#include "ui/menu/Accessible.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QKeyEvent>

#include "ui/menu/ModeChip.h"
#include "ui/menu/SealCheck.h"

namespace {

class ControlAccessible : public QAccessibleWidget {
 public:
  ControlAccessible(QWidget* w, QAccessible::Role role) : QAccessibleWidget(w, role) {}

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    if (auto* chip = qobject_cast<ModeChip*>(widget())) {
      s.checkable = true;
      s.checked = chip->selected();
    } else if (auto* check = qobject_cast<SealCheck*>(widget())) {
      s.checkable = true;
      s.checked = check->isOn();
    }
    return s;
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) {
      if (auto* check = qobject_cast<SealCheck*>(widget())) return check->valueText();
    }
    return QAccessibleWidget::text(t);
  }

  QStringList actionNames() const override { return {pressAction()}; }
  void doAction(const QString& name) override {
    if (name == pressAction()) {
      // The same road as the keyboard: Space activates a focused control.
      QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
      QCoreApplication::sendEvent(widget(), &space);
    }
  }
};

QAccessibleInterface* factory(const QString& key, QObject* object) {
  auto* w = qobject_cast<QWidget*>(object);
  if (!w) return nullptr;
  if (key == QLatin1String("ModeChip")) return new ControlAccessible(w, QAccessible::RadioButton);
  if (key == QLatin1String("SealCheck")) return new ControlAccessible(w, QAccessible::CheckBox);
  if (key == QLatin1String("MenuRow") || key == QLatin1String("NavRow") || key == QLatin1String("BackRow") ||
      key == QLatin1String("ChoiceRow") || key == QLatin1String("ShortcutButton")) {
    return new ControlAccessible(w, QAccessible::Button);
  }
  return nullptr;
}

}  // namespace

namespace menu {

void installAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(factory);
    return true;
  }();
  (void)installed;
}

}  // namespace menu
