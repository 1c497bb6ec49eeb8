#pragma once
#include <QByteArray>
#include <QString>

namespace analytics::FileWrite {

// Replaces the file at `path` with `bytes` so that a reader, or a process
// killed half-way, sees either the old file or the new one whole: the bytes
// go to a temporary file beside it, reach the disk, and are renamed over it.
// Creates the folder. False when anything failed (the old file then stands).
bool atomically(const QString& path, const QByteArray& bytes);

// The temporary file atomically() writes to; a leftover of a killed process.
QString temporaryPath(const QString& path);

}  // namespace analytics::FileWrite
