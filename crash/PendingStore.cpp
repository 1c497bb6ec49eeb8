#include "crash/PendingStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <atomic>
#include <unistd.h>

#include "crash/Log.h"

namespace crash {

namespace {
const QString kSuffix = QStringLiteral(".envelope");
std::atomic<int> counter{0};
}  // namespace

PendingStore::PendingStore(const QString& dir, int limit) : dir_(dir), limit_(std::max(1, limit)) {}

QString PendingStore::add(const QByteArray& envelope) {
  QDir().mkpath(dir_);
  // Names sort by time of writing; the process id and a counter keep two
  // runs, or two envelopes of one millisecond, apart.
  const QString name = QStringLiteral("%1-%2-%3")
                           .arg(QDateTime::currentMSecsSinceEpoch(), 14, 10, QLatin1Char('0'))
                           .arg(::getpid(), 7, 10, QLatin1Char('0'))
                           .arg(counter++, 6, 10, QLatin1Char('0')) +
                       kSuffix;
  const QString path = dir_ + QLatin1Char('/') + name;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(envelope) != envelope.size() || !file.commit()) {
    qCWarning(lcCrash) << "could not keep an envelope in" << dir_;
    return {};
  }
  QStringList all = files();
  while (all.size() > limit_) {
    qCInfo(lcCrash) << "pending envelopes over the limit: dropping the oldest";
    remove(all.takeFirst());
  }
  return path;
}

QStringList PendingStore::files() const {
  QStringList out;
  const QDir dir(dir_);
  for (const QString& name : dir.entryList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Name)) out << dir.filePath(name);
  return out;
}

void PendingStore::remove(const QString& path) { QFile::remove(path); }

void PendingStore::clear() {
  for (const QString& path : files()) remove(path);
}

}  // namespace crash
