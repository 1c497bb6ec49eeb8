#include "app/SingleInstance.h"

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QPointer>
#include <QThread>
#include <cerrno>

Q_LOGGING_CATEGORY(lcInstance, "tarvok.app.instance", QtInfoMsg)

namespace {
const QByteArray kReopen = "reopen\n";
const QByteArray kDone = "ok\n";
}  // namespace

SingleInstance::SingleInstance(QString name, QString dir, QObject* parent)
    : QObject(parent), name_(std::move(name)), dir_(std::move(dir)) {}

SingleInstance::~SingleInstance() {
  if (server_) server_->close();
}

QString SingleInstance::defaultName() {
  QString display = qEnvironmentVariable("DISPLAY");
  if (display.isEmpty()) display = qEnvironmentVariable("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = QStringLiteral("none");
  for (QChar& c : display) {
    if (!c.isLetterOrNumber()) c = QLatin1Char('_');
  }
  return QStringLiteral("tarvok-%1-%2").arg(getuid()).arg(display);
}

QString SingleInstance::defaultDir() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime;
  return QDir::tempPath();
}

bool SingleInstance::waitForExit(qint64 pid, int ms) {
  if (pid <= 0) return true;
  QElapsedTimer timer;
  timer.start();
  while (::kill(pid_t(pid), 0) == 0 || errno == EPERM) {
    if (timer.elapsed() > ms) return false;
    QThread::msleep(20);
  }
  return true;
}

SingleInstance::Role SingleInstance::claim(int waitMs) {
  lock_ = std::make_unique<QLockFile>(QDir(dir_).filePath(name_ + QStringLiteral(".lock")));
  // A lock left by a copy that died is taken over: QLockFile checks its pid.
  lock_->setStaleLockTime(0);
  QElapsedTimer timer;
  timer.start();
  while (true) {
    if (lock_->tryLock(0)) return listen() ? Role::first : Role::failed;
    // The holder may still be starting and not listening yet.
    if (askToReopen(200)) return Role::handedOver;
    if (timer.elapsed() > waitMs) {
      qCWarning(lcInstance) << "another copy holds" << lock_->fileName() << "but does not answer";
      return Role::failed;
    }
    QThread::msleep(50);
  }
}

bool SingleInstance::listen() {
  const QString path = QDir(dir_).filePath(name_ + QStringLiteral(".sock"));
  // We hold the lock: whatever socket file is there was left by a dead copy.
  QLocalServer::removeServer(path);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(path)) {
    qCWarning(lcInstance) << "cannot listen on" << path << server_->errorString();
    return false;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        if (!socket->canReadLine()) return;
        const QByteArray line = socket->readLine();
        if (line != kReopen) {
          socket->disconnectFromServer();
          return;
        }
        socket->write(kDone);
        socket->flush();
        qCInfo(lcInstance) << "started again: opening the menu";
        if (onReopen) onReopen();
      });
    }
  });
  return true;
}

bool SingleInstance::askToReopen(int waitMs) {
  QLocalSocket socket;
  socket.connectToServer(QDir(dir_).filePath(name_ + QStringLiteral(".sock")));
  if (!socket.waitForConnected(waitMs)) return false;
  socket.write(kReopen);
  if (!socket.waitForBytesWritten(waitMs)) return false;
  QElapsedTimer timer;
  timer.start();
  while (!socket.canReadLine()) {
    if (timer.elapsed() > 2000 || !socket.waitForReadyRead(2000)) return false;
  }
  return socket.readLine() == kDone;
}
