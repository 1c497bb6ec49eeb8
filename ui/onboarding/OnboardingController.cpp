#include "ui/onboarding/OnboardingController.h"

#include <QPointer>

#include "core/Reporting.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/PrefStore.h"
#include "platform/Relaunch.h"
#include "platform/ScreenAccess.h"
#include "ui/onboarding/KeptAboveWindow.h"
#include "ui/onboarding/OnboardingView.h"

namespace {
const QString kOnboarded = QStringLiteral("onboarded");
}

OnboardingController::OnboardingController(QObject* parent) : OnboardingController(&ScreenAccess::granted, parent) {}

OnboardingController::OnboardingController(Preflight preflight, QObject* parent)
    : QObject(parent), preflight_(std::move(preflight)), model_(preflight_ ? preflight_() : false) {
  poll_.setInterval(kPollMs);
  connect(&poll_, &QTimer::timeout, this, &OnboardingController::refreshPermission);
}

OnboardingController::~OnboardingController() = default;

QWidget* OnboardingController::window() const { return window_.get(); }

void OnboardingController::refreshPermission() { model_.setPermission(preflight_ ? preflight_() : false); }

void OnboardingController::show() {
  refreshPermission();
  if (!window_) build();
  window_->present();
  poll_.start();
}

void OnboardingController::build() {
  // The view's actions reach the controller through a guarded pointer: the
  // window never outlives it, but a queued click might.
  QPointer<OnboardingController> self(this);
  OnboardingView::Actions actions;
  actions.changeShortcut = [self] {
    if (self && self->window_ && self->onChangeShortcut) self->onChangeShortcut(self->window_.get());
  };
  actions.openSettings = [] { ScreenAccess::openSettings(); };
  actions.relaunch = [] { relaunch(); };
  actions.later = [self] {
    if (self) self->close();
  };
  actions.try_ = [self] {
    if (self) self->close();
    if (self && self->onTry) self->onTry();
  };
  Reporting::signal(QStringLiteral("onboarding.shown"));

  auto* view = new OnboardingView(model_, Settings::shared(), std::move(actions));
  window_ = std::make_unique<KeptAboveWindow>(view);
  window_->setWindowTitle(L::table(Settings::shared().language()).appName);
  // A window that leaves the screen, by its close button too, needs no poll.
  connect(window_.get(), &KeptAboveWindow::hidden, &poll_, &QTimer::stop);
}

void OnboardingController::close() {
  PrefStore& store = PrefStore::standard();
  if (!store.boolValue(kOnboarded)) {
    Reporting::signal(QStringLiteral("onboarding.done"),
                      {{QStringLiteral("permission"), model_.permission() ? QStringLiteral("yes") : QStringLiteral("no")}});
  }
  store.setBool(kOnboarded, true);
  poll_.stop();
  if (window_) window_->hide();
}

bool OnboardingController::onboarded() { return PrefStore::standard().boolValue(kOnboarded); }

void OnboardingController::relaunch() { Relaunch::relaunch(); }
