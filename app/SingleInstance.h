#pragma once
#include <QLockFile>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QLocalServer;

// One running copy per user and display. The first copy holds a lock file
// and listens on a local socket beside it; a later copy finds the lock held,
// asks the first one over the socket to open its menu, and ends. A copy
// started by a relaunch first waits for the copy that started it to end.
class SingleInstance : public QObject {
  Q_OBJECT
 public:
  enum class Role { first, handedOver, failed };

  // `name` tells instances apart (see defaultName()); `dir` holds the lock
  // file and the socket.
  SingleInstance(QString name, QString dir, QObject* parent = nullptr);
  ~SingleInstance() override;

  // "tarvok-<uid>-<display>".
  static QString defaultName();
  static QString defaultDir();

  // Becomes the first copy, or hands the launch over to the running one:
  // `handedOver` once the running copy confirmed, `failed` when it holds the
  // lock but never answered within `waitMs`.
  Role claim(int waitMs = 5000);

  // Runs in the first copy whenever a later one was started.
  std::function<void()> onReopen;

  // Waits up to `ms` for the process `pid` to end; true when it has.
  static bool waitForExit(qint64 pid, int ms);

 private:
  bool listen();
  bool askToReopen(int waitMs);

  QString name_;
  QString dir_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};
