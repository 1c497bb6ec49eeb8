#include "analytics/FileWrite.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>

namespace analytics::FileWrite {

QString temporaryPath(const QString& path) { return path + QStringLiteral(".tmp"); }

bool atomically(const QString& path, const QByteArray& bytes) {
  const QString dir = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(dir)) return false;
  const QByteArray temp = QFile::encodeName(temporaryPath(path));
  const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  qsizetype written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += n;
  }
  const bool ok = written == bytes.size() && ::fdatasync(fd) == 0;
  ::close(fd);
  if (!ok || std::rename(temp.constData(), QFile::encodeName(path).constData()) != 0) {
    ::unlink(temp.constData());
    return false;
  }
  // The rename itself reaches the disk with the folder.
  if (const int dirFd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace analytics::FileWrite
