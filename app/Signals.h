#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP end the program through the event loop, so that
// a logout or a Ctrl+C runs the same clean exit as the Quit row (the hot key
// let go, the lock released). The handler only writes to a pipe; the GUI
// thread, which never waits for recognition, reads it.
class Signals : public QObject {
  Q_OBJECT
 public:
  explicit Signals(QObject* parent = nullptr);
  ~Signals() override;

  // Installs the handlers; `onSignal` runs on the main thread with the signal number.
  bool install(std::function<void(int)> onSignal);

  // Ends the process at once with `code` after flushing the console. A
  // console switch has nothing to save, and a recognition in flight would
  // otherwise hold the exit for its whole run.
  [[noreturn]] static void exitNow(int code);

 private:
  QSocketNotifier* notifier_ = nullptr;
  std::function<void(int)> onSignal_;
};
