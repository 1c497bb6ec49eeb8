#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP. The tray program ends through the event loop,
// so that a logout or a Ctrl+C runs the same clean exit as the Quit row (the
// hot key let go, the lock released). A console switch ends at once with 128
// + the signal number, whatever its main thread is busy with. Either way the
// handler only writes to a pipe, which the GUI thread or a thread of its own
// reads.
class Signals : public QObject {
  Q_OBJECT
 public:
  explicit Signals(QObject* parent = nullptr);
  ~Signals() override;

  // Installs the handlers; `onSignal` runs on the main thread with the signal number.
  bool install(std::function<void(int)> onSignal);

  // Installs the handlers for a console switch: a thread of its own ends the
  // process through SignalExit::now(128 + the number), waiting only for a
  // file being put in place. Needs no QApplication, so it can come first.
  static bool exitOnSignal();

  // Ends the process at once with `code` after flushing the console. A
  // console switch has nothing to save, and a recognition in flight would
  // otherwise hold the exit for its whole run.
  [[noreturn]] static void exitNow(int code);

 private:
  QSocketNotifier* notifier_ = nullptr;
  std::function<void(int)> onSignal_;
};
