#pragma once
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "ui/onboarding/OnboardingModel.h"

class KeptAboveWindow;
class QWidget;

// The first-run guide's owner. It keeps one onboarding window for its whole
// life (built on the first show(), then reused), the model the window shows,
// and a once-a-second check of screen access while the window is on screen.
// The application installs the two outward callbacks and writes the model's
// conflict flag.
class OnboardingController : public QObject {
  Q_OBJECT
 public:
  // Answers whether the screen may be read; must never prompt or grab.
  using Preflight = std::function<bool()>;

  // The real check (ScreenAccess::granted).
  explicit OnboardingController(QObject* parent = nullptr);
  explicit OnboardingController(Preflight preflight, QObject* parent = nullptr);
  ~OnboardingController() override;

  OnboardingModel& model() { return model_; }
  // The window, or null before the first show().
  QWidget* window() const;
  // True while the screen-access poll runs.
  bool polling() const { return poll_.isActive(); }

  // Refreshes the permission, builds the window the first time (reporting
  // "onboarding.shown"), centres it on the screen under the pointer, shows it
  // in front and (re)starts the poll.
  void show();
  // Finishes onboarding: "onboarding.done" and the "onboarded" preference
  // the first time, then stops the poll and hides the window.
  void close();
  // The "onboarded" preference: true once close() ran on this installation.
  static bool onboarded();
  // Starts a new copy of the program and quits once it started.
  static void relaunch();

  // Change-shortcut button: called with the onboarding window.
  std::function<void(QWidget*)> onChangeShortcut;
  // Try button: called after the window was closed.
  std::function<void()> onTry;

  static constexpr int kPollMs = 1000;

 private:
  void build();
  void refreshPermission();

  Preflight preflight_;
  OnboardingModel model_;
  std::unique_ptr<KeptAboveWindow> window_;
  QTimer poll_;
};
