#pragma once
#include <QObject>
#include <functional>
#include <map>
#include <mutex>

// The application's activation and termination, as the client hears them:
// from the Qt application when it is a GUI one (applicationStateChanged,
// connected by name, since this library uses Qt Core only) and from
// aboutToQuit. Tests drive the same entry points by hand.
namespace analytics {

class AppLifecycle : public QObject {
  Q_OBJECT
 public:
  struct Observer {
    std::function<void()> didResignActive;
    std::function<void()> willBecomeActive;
    std::function<void()> willTerminate;
  };

  // Created on first use, living in the application's thread.
  static AppLifecycle& instance();

  int subscribe(Observer observer);
  void unsubscribe(int token);

  // The application became active (true) or stopped being active (false).
  void setActive(bool active);
  void terminate();

 private slots:
  void onApplicationStateChanged(Qt::ApplicationState state);

 private:
  AppLifecycle();
  template <class Pick>
  void notify(Pick pick);

  std::mutex mutex_;
  std::map<int, Observer> observers_;
  int next_ = 1;
  bool active_ = true;
};

}  // namespace analytics
