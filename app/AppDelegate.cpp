#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <cstdio>

#include "app/AnalyticsAdapter.h"
#include "app/BenchOCR.h"
#include "app/CaptureRoad.h"
#include "core/Console.h"
#include "app/CrashReporter.h"
#include "recognition/LiveText.h"
#include "app/HotKeyRepeats.h"
#include "app/Launch.h"
#include "app/MenuPanelControl.h"
#include "app/ReadFile.h"
#include "app/ReportTest.h"
#include "app/ShortcutRecorder.h"
#include "app/Tray.h"
#include "capture/CaptureController.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionMarker.h"
#include "core/CPUMeter.h"
#include "core/Fonts.h"
#include "core/HotKeyCenter.h"
#include "core/Reporting.h"
#include "core/Settings.h"
#include "platform/PrefStore.h"
#include "recognition/Recognizer.h"
#include "snapshot/Snapshot.h"
#include "toast/ToastController.h"
#include "toast/ToastPanel.h"
#include "ui/about/AboutController.h"
#include "ui/menu/MenuState.h"
#include "ui/onboarding/OnboardingController.h"

Q_LOGGING_CATEGORY(lcApp, "tarvok.app", QtInfoMsg)

namespace {

// Ends the process with `code` once the event loop runs (exit() before
// exec() would be lost).
void exitLater(int code) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(), [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

}  // namespace

AppDelegate::AppDelegate(QObject* parent)
    : QObject(parent),
      tray_(std::make_unique<Tray>()),
      capture_(std::make_unique<CaptureController>()),
      toast_(std::make_unique<ToastController>()),
      marker_(std::make_unique<SelectionMarker>()),
      cpu_(std::make_unique<CPUMeter>()),
      menuState_(std::make_unique<MenuState>()),
      hotKey_(std::make_unique<HotKeyCenter>()),
      onboarding_(std::make_unique<OnboardingController>()),
      about_(std::make_unique<AboutController>()),
      crash_(std::make_unique<CrashReporter>()),
      analytics_(std::make_unique<AnalyticsAdapter>()) {
  Reporting::setCrashClient(crash_.get());
  Reporting::setAnalyticsClient(analytics_.get());
}

AppDelegate::~AppDelegate() {
  Reporting::setAnalyticsClient(nullptr);
  // The road waits for running recognitions; the panel and the toast go
  // before the controllers they call back into.
  road_.reset();
  recorder_.reset();
  menu_.reset();
  // Every way out (Quit, a signal, the console switches) ends here: the
  // session closes, what is queued gets a bounded moment to go, and the crash
  // handler stays in place until then.
  crash_->close();
  Reporting::setCrashClient(nullptr);
}

void AppDelegate::launch(const switches::Choice& choice) {
  Fonts::registerAll();
  if (runSwitch(choice)) return;

  Settings& settings = Settings::shared();
  QPointer<AppDelegate> self(this);

  MenuPanelControl::Hooks menuHooks;
  menuHooks.anchor = [self] { return self ? self->tray_->geometry() : QRect(); };
  menuHooks.capture = [self] {
    if (self) self->startCapture();
  };
  menuHooks.record = [self] {
    if (self) self->recorder_->start(nullptr);
  };
  menuHooks.quit = [self] {
    if (self) self->quit();
  };
  menuHooks.cancelRecording = [self] {
    if (self) self->recorder_->cancel();
  };
  menuHooks.warmUpFast = [] { LiveText::warmUp(road::languagesFor(Settings::shared())); };
  menu_ = std::make_unique<MenuPanelControl>(settings, *menuState_, *about_, std::move(menuHooks));

  ShortcutRecorder::Hooks recordHooks;
  recordHooks.registerShortcut = [self](Shortcut s) { return self && self->registerHotKey(s); };
  recordHooks.unregister = [self] {
    if (self) self->hotKey_->unregister();
  };
  recordHooks.setConflict = [self](bool conflict) {
    if (self) self->onboarding_->model().setConflict(conflict);
  };
  recordHooks.defaultWindow = [self]() -> QWidget* {
    return self ? self->menu_->panel() : nullptr;
  };
  recorder_ = std::make_unique<ShortcutRecorder>(settings, std::move(recordHooks));

  CaptureRoad::Hooks roadHooks;
  roadHooks.glyph = [self](Glyph g) {
    if (self) self->tray_->setGlyph(g);
  };
  roadHooks.handOverMenu = [self]() -> std::optional<uint32_t> {
    return self ? self->menu_->handOver() : std::nullopt;
  };
  roadHooks.requestScreenAccess = [] {
    // Any X client may read the screen: there is nothing to ask for.
    qCInfo(lcApp) << "screen access needs no request on X11";
  };
  road_ = std::make_unique<CaptureRoad>(CaptureRoad::Parts{*capture_, *toast_, *marker_, *cpu_, *onboarding_},
                                        std::move(roadHooks));

  // The tray icon.
  tray_->onToggle = [self] {
    if (self) self->menu_->toggle();
  };
  tray_->install();

  // The capture road's handlers.
  road_->install();
  // A repeat of the hot key that opened the overlay is no second press.
  repeats_ = std::make_unique<HotKeyRepeats>([self]() -> std::optional<uint8_t> {
    const std::optional<Shortcut> current = self ? self->hotKey_->current() : std::nullopt;
    const std::optional<uint32_t> keycode = current ? current->xKeycode() : std::nullopt;
    return keycode ? std::optional<uint8_t>(uint8_t(*keycode)) : std::nullopt;
  });
  capture_->hotKeyMatcher = [self](const QKeyEvent& event) {
    return self && self->hotKey_->matches(event) && !self->repeats_->isRepeat(event);
  };
  capture_->onFastMode = [] { LiveText::warmUp(road::languagesFor(Settings::shared())); };

  Reporting::start();

  // Warm-ups: the engines start on worker threads while the launch goes on.
  QThreadPool::globalInstance()->start([] { Recognizer::warmUp(); });
  if (settings.fastMode()) LiveText::warmUp(road::languagesFor(settings));

  launch::enableLoginOnFirstRun(PrefStore::standard());

  hotKey_->onPress = [self] {
    // Repeats of a held hot key that the overlay took the release of.
    if (self && !self->repeats_->lastPressRepeated()) self->startCapture();
  };
  const bool conflict = launch::registerHotKey(settings, [self](Shortcut s) { return self && self->registerHotKey(s); });
  if (conflict) onboarding_->model().setConflict(true);
  qCInfo(lcApp).noquote() << "shortcut" << settings.shortcut().caps().join(QLatin1Char('+'))
                          << (hotKey_->isRegistered() ? "registered" : "not available: taken by another program");

  onboarding_->onChangeShortcut = [self](QWidget* window) {
    if (self) self->recorder_->start(window);
  };
  onboarding_->onTry = [self] {
    if (self) self->startCapture();
  };

  greet(onboarding_->model().conflict());
}

void AppDelegate::greet(bool conflict) {
  QPointer<AppDelegate> self(this);
  switch (launch::greeting(OnboardingController::onboarded(), conflict)) {
    case launch::Greeting::onboarding:
      QTimer::singleShot(launch::kOnboardingDelayMs, this, [self] {
        if (self) self->onboarding_->show();
      });
      break;
    case launch::Greeting::conflictToast:
      QTimer::singleShot(launch::kConflictToastDelayMs, this, [self] {
        if (self) self->toast_->show(ToastController::Kind::conflict);
      });
      break;
    case launch::Greeting::nothing:
      break;
  }
}

bool AppDelegate::runSwitch(const switches::Choice& choice) {
  switch (choice.mode) {
    case switches::Mode::none:
    case switches::Mode::help:
    case switches::Mode::invalid:  // main() refused the line already
      return false;
    case switches::Mode::benchOCR:
      bench_ = std::make_unique<BenchOCR>(choice.fast);
      bench_->start();
      return true;
    case switches::Mode::reportTest:
      reporttest::run(
          true, true, exitLater, [this](std::chrono::milliseconds wait) { return crash_->lastMessageDelivered(wait); },
          [this](std::chrono::milliseconds wait) -> std::optional<QString> {
            const AnalyticsAdapter::Delivery d = analytics_->deliver(int(wait.count()));
            return d.delivered ? std::nullopt : std::optional<QString>(d.detail);
          });
      return true;
    case switches::Mode::read:
      readfile::run(choice.nativePath, exitLater);
      return true;
    case switches::Mode::snapshot:
      exitLater(Snapshot::run(choice.path, QCoreApplication::arguments().contains(QStringLiteral("-all"))));
      return true;
  }
  return false;
}

bool AppDelegate::registerHotKey(Shortcut shortcut) {
  const bool ok = hotKey_->registerShortcut(shortcut);
  repeats_->moveToFront();
  return ok;
}

void AppDelegate::reopen() {
  if (menu_) menu_->show();
}

void AppDelegate::startCapture() {
  if (road_) road_->startCapture();
}

void AppDelegate::quit() { QCoreApplication::quit(); }

bool AppDelegate::finishWithin(int ms) {
  QElapsedTimer clock;
  clock.start();
  const bool road = !road_ || road_->settle(ms);
  const bool warm = QThreadPool::globalInstance()->waitForDone(std::max<int>(0, ms - int(clock.elapsed())));
  if (road && warm) return true;
  qCInfo(lcApp) << "quitting without waiting for the recognition still running";
  crash_->close();
  Reporting::setCrashClient(nullptr);
  return false;
}
