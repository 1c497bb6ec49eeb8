#pragma once
#include <QObject>
#include <QPointer>
#include <functional>

#include "core/Shortcut.h"

class QKeyEvent;
class QWidget;
class Settings;

// Records a new global shortcut from the next key presses of the program. The
// hot key is let go while recording, so that pressing the old combination is
// recorded too. Every key press and shortcut override of the program is
// swallowed meanwhile; modifier keys pressed alone are waited past. A
// combination is refused with a note when it needs Ctrl, Alt or Super, when
// another program holds it, or when it is an editing combination every
// program needs (Ctrl+C, V, X, Z, A).
class ShortcutRecorder : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<bool(Shortcut)> registerShortcut;
    std::function<void()> unregister;
    // Written after each recording: true when no global shortcut could be had.
    std::function<void(bool)> setConflict;
    // The window that takes the keys when none is given (the menu panel).
    std::function<QWidget*()> defaultWindow;
  };

  ShortcutRecorder(Settings& settings, Hooks hooks, QObject* parent = nullptr);
  ~ShortcutRecorder() override;

  // Starts recording with `window` taking the keys; while recording, cancels.
  void start(QWidget* window);
  // Ends the recording and registers the stored shortcut again.
  void cancel();
  bool recording() const;

  // One key press while recording; returns what became of it.
  enum class Outcome { ignored, cancelled, needModifier, taken, recorded };
  Outcome recorded(const QKeyEvent& event);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void end();

  Settings& settings_;
  Hooks hooks_;
  bool filtering_ = false;
};
