#pragma once
#include <QByteArray>
#include <QString>
#include <sys/types.h>

// Writes a file whole or not at all: the bytes go to a temporary file beside
// it, reach the disk and are renamed over it, so that a full disk, a
// read-only folder or a kill half-way leaves the old file (or none), never a
// short one. (QSaveFile commits a short file when the disk fills while its
// buffer is flushed.)
namespace atomicfile {

// False with `problem` set (the system's reason) when the file could not be
// written; the folder must exist.
bool write(const QString& path, const QByteArray& bytes, QString* problem = nullptr, mode_t mode = 0644);

}  // namespace atomicfile
