#pragma once
#include <QObject>
#include <QStringList>
#include <memory>

#include "app/Switches.h"
#include "core/Shortcut.h"

class AboutController;
class AnalyticsAdapter;
class BenchOCR;
class CaptureController;
class CaptureRoad;
class CPUMeter;
class CrashReporter;
class HotKeyCenter;
class HotKeyRepeats;
class MenuPanelControl;
class MenuState;
class OnboardingController;
class SelectionMarker;
class ShortcutRecorder;
class ToastController;
class Tray;

// The application: owns the controllers for the life of the process and
// wires them together at launch, in this order: the fonts, the developer
// switches (each ends the launch), the settings, the tray icon, the capture
// road's handlers, reporting, the recognisers' warm-up off the GUI thread,
// the login item once, the hot key with its fallback, and the greeting
// (onboarding, or the conflict toast).
class AppDelegate : public QObject {
  Q_OBJECT
 public:
  explicit AppDelegate(QObject* parent = nullptr);
  ~AppDelegate() override;

  // Runs the launch for the given mode. Console modes end the process
  // through the event loop with their exit code.
  void launch(const switches::Choice& choice);

  // A second copy was started: the menu opens.
  void reopen();
  void startCapture();
  void quit();

  // After the event loop: waits up to `ms` for recognitions and warm-ups
  // still running. True when none is left; otherwise the reports are closed
  // already, and the caller ends the process without waiting any longer.
  bool finishWithin(int ms);

  Tray& tray() { return *tray_; }
  MenuPanelControl& menu() { return *menu_; }
  CaptureRoad& road() { return *road_; }
  HotKeyCenter& hotKey() { return *hotKey_; }
  OnboardingController& onboarding() { return *onboarding_; }
  ToastController& toast() { return *toast_; }
  ShortcutRecorder& recorder() { return *recorder_; }

 private:
  bool runSwitch(const switches::Choice& choice);
  bool registerHotKey(Shortcut shortcut);
  void greet(bool conflict);

  std::unique_ptr<Tray> tray_;
  std::unique_ptr<CaptureController> capture_;
  std::unique_ptr<ToastController> toast_;
  std::unique_ptr<SelectionMarker> marker_;
  std::unique_ptr<CPUMeter> cpu_;
  std::unique_ptr<MenuState> menuState_;
  std::unique_ptr<HotKeyCenter> hotKey_;
  std::unique_ptr<HotKeyRepeats> repeats_;
  std::unique_ptr<OnboardingController> onboarding_;
  std::unique_ptr<AboutController> about_;
  std::unique_ptr<MenuPanelControl> menu_;
  std::unique_ptr<ShortcutRecorder> recorder_;
  std::unique_ptr<CaptureRoad> road_;
  std::unique_ptr<BenchOCR> bench_;
  std::unique_ptr<CrashReporter> crash_;
  std::unique_ptr<AnalyticsAdapter> analytics_;
};
