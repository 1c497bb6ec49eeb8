#include "platform/OwnFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>

namespace ownfile {

namespace {

QString kind(mode_t mode) {
  if (S_ISDIR(mode)) return QStringLiteral("a folder");
  if (S_ISFIFO(mode)) return QStringLiteral("a named pipe");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("a device");
  if (S_ISSOCK(mode)) return QStringLiteral("a socket");
  return QStringLiteral("not a plain file");
}

}  // namespace

Opened openRegular(const QByteArray& path) {
  Opened out;
  // O_NONBLOCK: opening a pipe without a writer would wait for one forever.
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    const int error = errno;
    const bool missing = error == ENOENT || error == ENOTDIR;
    out.failure = missing ? Opened::Failure::notFound : Opened::Failure::unreadable;
    out.problem = missing ? QStringLiteral("not found") : QString::fromLocal8Bit(std::strerror(error));
    return out;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    out.failure = Opened::Failure::notRegular;
    out.problem = QStringLiteral("not a regular file (%1)").arg(kind(st.st_mode));
    ::close(fd);
    return out;
  }
  // Reads of a regular file never wait anyway; the flag goes so that they
  // behave as any other.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  out.fd = fd;
  return out;
}

bool open(QFile& file, QString* problem) {
  const Opened opened = openRegular(QFile::encodeName(file.fileName()));
  if (opened.fd < 0) {
    if (problem) *problem = opened.problem;
    return false;
  }
  if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(opened.fd);
    if (problem) *problem = file.errorString();
    return false;
  }
  return true;
}

}  // namespace ownfile
