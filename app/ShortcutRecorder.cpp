#include "app/ShortcutRecorder.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include "core/Reporting.h"
#include "core/Settings.h"
#include "core/Strings.h"

ShortcutRecorder::ShortcutRecorder(Settings& settings, Hooks hooks, QObject* parent)
    : QObject(parent), settings_(settings), hooks_(std::move(hooks)) {}

ShortcutRecorder::~ShortcutRecorder() {
  if (filtering_ && qApp) qApp->removeEventFilter(this);
}

bool ShortcutRecorder::recording() const { return settings_.recording(); }

void ShortcutRecorder::start(QWidget* window) {
  if (settings_.recording()) {
    cancel();
    return;
  }
  settings_.setRecording(true);
  settings_.setShortcutNote(std::nullopt);
  if (hooks_.unregister) hooks_.unregister();
  QWidget* keys = window ? window : (hooks_.defaultWindow ? hooks_.defaultWindow() : nullptr);
  if (keys) {
    keys->raise();
    keys->activateWindow();
  }
  if (!filtering_) {
    qApp->installEventFilter(this);
    filtering_ = true;
  }
}

bool ShortcutRecorder::eventFilter(QObject*, QEvent* event) {
  if (!settings_.recording()) return false;
  // Accepting the override keeps every shortcut of the program quiet; the
  // press itself is taken at its first delivery and goes no further.
  if (event->type() == QEvent::ShortcutOverride) {
    event->accept();
    return true;
  }
  if (event->type() != QEvent::KeyPress) return false;
  recorded(*static_cast<QKeyEvent*>(event));
  return true;
}

ShortcutRecorder::Outcome ShortcutRecorder::recorded(const QKeyEvent& event) {
  const Qt::KeyboardModifiers held =
      event.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (event.key() == Qt::Key_Escape && held == Qt::NoModifier) {
    cancel();
    return Outcome::cancelled;
  }
  // A modifier pressed on its own, or a key with no place on a PC keyboard:
  // wait for the real key.
  if (!Shortcut::keyCodeForX(event.nativeScanCode())) return Outcome::ignored;

  const Strings t = L::table(settings_.language());
  const std::optional<Shortcut> combination = Shortcut::fromEvent(event);
  if (!combination) {
    settings_.setShortcutNote(t.needModifier);
    return Outcome::needModifier;
  }
  const bool ok = !combination->isReservedForEditing() && hooks_.registerShortcut && hooks_.registerShortcut(*combination);
  if (!ok) {
    settings_.setShortcutNote(t.taken(combination->caps().join(QLatin1Char('+'))));
    if (hooks_.unregister) hooks_.unregister();
    return Outcome::taken;
  }
  settings_.setShortcut(*combination);
  settings_.setShortcutNote(std::nullopt);
  if (hooks_.setConflict) hooks_.setConflict(false);
  Reporting::signal(QStringLiteral("shortcut.changed"));
  end();
  return Outcome::recorded;
}

void ShortcutRecorder::cancel() {
  const bool ok = hooks_.registerShortcut && hooks_.registerShortcut(settings_.shortcut());
  if (hooks_.setConflict) hooks_.setConflict(!ok);
  settings_.setShortcutNote(std::nullopt);
  end();
}

void ShortcutRecorder::end() {
  settings_.setRecording(false);
  if (filtering_ && qApp) {
    qApp->removeEventFilter(this);
    filtering_ = false;
  }
}
