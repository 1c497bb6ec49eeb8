#pragma once
#include <QDateTime>
#include <QString>
#include <sys/types.h>

// The file under a preference store, judged before the store reads it. Every
// write rewrites the whole file, so a file that a rewrite would not give back
// byte for byte (text that is not UTF-8, keys twice, a section or value in a
// form the INI writer spells differently, a comment) would lose what the
// store could not read; such a file is moved aside instead of rewritten.
namespace preffile {

// Anything larger is no file we wrote, and reading it would hold up the start.
inline constexpr qint64 kMaxBytes = qint64(1) << 20;

// Why the file at `path` cannot be taken as it stands; empty when it reads
// cleanly or does not exist.
QString problem(const QString& path);

// Moves the file at `path` to "<path>.unreadable-YYYYMMDD-HHMMSS" (local time
// of `when`; "-2", "-3", ... follow when that name is taken). Returns the new
// path, or an empty text when it could not be moved.
QString setAside(const QString& path, const QDateTime& when = QDateTime::currentDateTime());

// What tells that someone else changed the file since we last saw it.
struct Stamp {
  bool exists = false;
  ino_t inode = 0;
  qint64 size = 0;
  qint64 mtimeNs = 0;
  bool operator==(const Stamp&) const = default;
};
Stamp stamp(const QString& path);

}  // namespace preffile
