#pragma once
#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPoint>
#include <functional>

// Tells of mouse button presses anywhere on the X display while it watches,
// also those that go to other programs: the X input extension delivers raw
// button events of the master pointer to the root window. The callback gets
// the pointer position and runs on the main thread. Does nothing off X11.
class OutsideClicks : public QObject, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  explicit OutsideClicks(QObject* parent = nullptr);
  ~OutsideClicks() override;

  std::function<void(QPoint)> onPress;

  // Starts or stops watching; repeated calls change nothing.
  void setWatching(bool on);
  bool watching() const { return watching_; }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  bool select(bool on);

  bool watching_ = false;
  bool filterInstalled_ = false;
  uint8_t opcode_ = 0;
};
