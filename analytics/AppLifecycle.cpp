#include "analytics/AppLifecycle.h"

#include <QCoreApplication>
#include <vector>

namespace analytics {

AppLifecycle::AppLifecycle() {
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) return;
  moveToThread(app->thread());
  if (app->metaObject()->indexOfSignal("applicationStateChanged(Qt::ApplicationState)") >= 0) {
    connect(app, SIGNAL(applicationStateChanged(Qt::ApplicationState)), this,
            SLOT(onApplicationStateChanged(Qt::ApplicationState)));
  }
  connect(app, &QCoreApplication::aboutToQuit, this, &AppLifecycle::terminate, Qt::DirectConnection);
}

AppLifecycle& AppLifecycle::instance() {
  // Never destroyed: observers may unsubscribe during static destruction.
  static AppLifecycle* lifecycle = new AppLifecycle;
  return *lifecycle;
}

int AppLifecycle::subscribe(Observer observer) {
  std::lock_guard lock(mutex_);
  observers_.emplace(next_, std::move(observer));
  return next_++;
}

void AppLifecycle::unsubscribe(int token) {
  std::lock_guard lock(mutex_);
  observers_.erase(token);
}

template <class Pick>
void AppLifecycle::notify(Pick pick) {
  std::vector<std::function<void()>> calls;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [token, observer] : observers_) {
      if (const std::function<void()>& f = pick(observer)) calls.push_back(f);
    }
  }
  for (const auto& call : calls) call();
}

void AppLifecycle::setActive(bool active) {
  {
    std::lock_guard lock(mutex_);
    if (active == active_) return;
    active_ = active;
  }
  if (active) {
    notify([](const Observer& o) -> const std::function<void()>& { return o.willBecomeActive; });
  } else {
    notify([](const Observer& o) -> const std::function<void()>& { return o.didResignActive; });
  }
}

void AppLifecycle::terminate() {
  notify([](const Observer& o) -> const std::function<void()>& { return o.willTerminate; });
}

void AppLifecycle::onApplicationStateChanged(Qt::ApplicationState state) {
  setActive(state == Qt::ApplicationActive);
}

}  // namespace analytics
