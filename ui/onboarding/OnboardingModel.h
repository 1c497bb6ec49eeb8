#pragma once
#include <QObject>

// What the onboarding window shows about the machine: whether the global
// shortcut could be registered and whether the screen may be read. Setters
// announce only real changes, so a poll that writes the same answer every
// second redraws nothing.
class OnboardingModel : public QObject {
  Q_OBJECT
 public:
  explicit OnboardingModel(bool permission, QObject* parent = nullptr);

  // True when no global shortcut could be registered.
  bool conflict() const { return conflict_; }
  bool permission() const { return permission_; }
  // The window's try action works: the screen can be read and the shortcut is ours.
  bool ready() const { return permission_ && !conflict_; }

  void setConflict(bool conflict);
  void setPermission(bool permission);

 signals:
  void conflictChanged(bool conflict);
  void permissionChanged(bool permission);
  // After either of the above.
  void changed();

 private:
  bool conflict_ = false;
  bool permission_;
};
