#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace atomicfile {

namespace {

bool fail(QString* problem, int error) {
  if (problem) *problem = QString::fromLocal8Bit(std::strerror(error));
  return false;
}

}  // namespace

bool write(const QString& path, const QByteArray& bytes, QString* problem, mode_t mode) {
  const QByteArray target = QFile::encodeName(path);
  QByteArray temp = target + ".XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return fail(problem, errno);
  qsizetype written = 0;
  int error = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n < 0 ? errno : ENOSPC;
      break;
    }
    written += n;
  }
  // A full disk may show only when the data reaches it.
  if (!error && ::fdatasync(fd) != 0) error = errno;
  if (!error && ::fchmod(fd, mode) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && std::rename(temp.constData(), target.constData()) != 0) error = errno;
  if (error) {
    ::unlink(temp.constData());
    return fail(problem, error);
  }
  // The rename itself reaches the disk with the folder.
  const QByteArray dir = QFile::encodeName(QFileInfo(path).absolutePath());
  if (const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
  return true;
}

}  // namespace atomicfile
