#include "platform/PrefFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cstdio>

#include "platform/AtomicFile.h"
#include "platform/OwnFile.h"

namespace preffile {

namespace {

// A key no store writes: adding and removing it makes the INI writer write
// the whole [General] section anew.
const QString kProbeKey = QStringLiteral("tarvok write probe");

// What the store's next write would make of `bytes` (the changed key aside),
// or a null array when that cannot be tried.
QByteArray rewritten(const QByteArray& bytes, QSettings::Status& status) {
  QTemporaryDir dir;
  if (!dir.isValid()) return {};
  const QString copy = dir.filePath(QStringLiteral("probe.conf"));
  // A full disk (the temporary folder's) must not pass for a file that reads
  // back otherwise: the copy and the probe's saves are checked.
  if (!atomicfile::write(copy, bytes)) return {};
  {
    QSettings settings(copy, QSettings::IniFormat);
    status = settings.status();
    settings.setValue(kProbeKey, true);
    settings.sync();
    settings.remove(kProbeKey);
    settings.sync();
    if (settings.status() == QSettings::AccessError) return {};
  }
  QFile in(copy);
  if (!in.open(QIODevice::ReadOnly)) return {};
  QByteArray back = in.readAll();
  // An empty result reads as null: keep the two apart.
  return back.isNull() ? QByteArray("") : back;
}

}  // namespace

QString problem(const QString& path) {
  const ownfile::Opened opened = ownfile::openRegular(QFile::encodeName(path));
  if (opened.failure == ownfile::Opened::Failure::notFound) return {};
  if (opened.failure == ownfile::Opened::Failure::notRegular) return QStringLiteral("it is ") + opened.problem;
  if (opened.fd < 0) return QStringLiteral("it cannot be read: %1").arg(opened.problem);
  QFile file;
  if (!file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(opened.fd);
    return QStringLiteral("it cannot be read: %1").arg(file.errorString());
  }
  if (file.size() > kMaxBytes)
    return QStringLiteral("it is larger than %1 MB").arg(kMaxBytes >> 20);
  // The size may have been a lie (a device, a growing file): read no more than the bound.
  const QByteArray bytes = file.read(kMaxBytes + 1);
  if (bytes.size() > kMaxBytes) return QStringLiteral("it is larger than %1 MB").arg(kMaxBytes >> 20);
  if (bytes.isEmpty()) return {};
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  [[maybe_unused]] const QString text = utf8.decode(bytes);
  if (utf8.hasError()) return QStringLiteral("it is not UTF-8 text");
  QSettings::Status status = QSettings::NoError;
  const QByteArray back = rewritten(bytes, status);
  // Nothing to compare with (no temporary folder): the file is taken as before.
  if (back.isNull()) return {};
  if (status != QSettings::NoError) return QStringLiteral("it is not in the INI form tarvok writes");
  if (back != bytes) return QStringLiteral("saving would change what tarvok cannot read in it");
  return {};
}

QString setAside(const QString& path, const QDateTime& when) {
  const QString base = path + QStringLiteral(".unreadable-") + when.toString(QStringLiteral("yyyyMMdd-HHmmss"));
  for (int n = 1; n < 100; ++n) {
    const QString target = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
    if (QFile::exists(target) || QFileInfo(target).isSymLink()) continue;
    // A rename keeps every byte and takes no time, however large the file.
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0) return target;
    return {};
  }
  return {};
}

Stamp stamp(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  return {true, st.st_ino, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

}  // namespace preffile
