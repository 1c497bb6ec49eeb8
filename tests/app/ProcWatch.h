#pragma once
// What /proc shows of a running child, so that a test can signal it once it
// listens rather than after a guessed delay. Shared with bench/read_bench.cpp.
#include <QFile>

namespace procwatch {

// True once the process catches signal `number` (its handler is installed).
inline bool catches(qint64 pid, int number) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return false;
  const QByteArray text = status.readAll();
  const qsizetype at = text.indexOf("SigCgt:");
  return at >= 0 &&
         (text.mid(at + 7, text.indexOf('\n', at) - at - 7).trimmed().toULongLong(nullptr, 16) >> (number - 1)) & 1;
}

}  // namespace procwatch
