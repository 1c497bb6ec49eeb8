#include "ui/about/AboutController.h"

#include "core/Settings.h"
#include "core/Strings.h"
#include "ui/about/AboutView.h"
#include "ui/onboarding/KeptAboveWindow.h"

AboutController::AboutController(QObject* parent) : QObject(parent) {}

AboutController::~AboutController() = default;

QWidget* AboutController::window() const { return window_.get(); }

void AboutController::open() {
  if (!window_) window_ = std::make_unique<KeptAboveWindow>(new AboutView);
  static_cast<AboutView*>(window_->content())->refresh();
  window_->setWindowTitle(L::table(Settings::shared().language()).aboutTitle);
  window_->present();
}
