#include "analytics/CacheFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "analytics/FileWrite.h"

namespace analytics {

namespace {

// Far above 10,000 records: a larger file is no cache of ours.
constexpr qint64 kMaxFileBytes = 256LL << 20;
constexpr qint64 kHalfWrittenLockMs = 1000;

// A process killed between creating the lock file and writing its pid into
// it leaves a lock nobody can prove stale; once it is older than any write
// takes, it is taken over instead of keeping the cache locked for good.
bool takeOverHalfWrittenLock(QLockFile& lock) {
  qint64 pid = 0;
  QString host, app;
  if (lock.getLockInfo(&pid, &host, &app)) return false;
  const QFileInfo info(lock.fileName());
  if (!info.exists() || info.lastModified().msecsTo(QDateTime::currentDateTime()) < kHalfWrittenLockMs) return false;
  return lock.removeStaleLockFile() && lock.tryLock(0);
}

}  // namespace

QString CacheFile::defaultPath() {
  QString base = qEnvironmentVariable("XDG_CACHE_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.cache");
  if (QCoreApplication::applicationName().isEmpty()) return {};
  return base + QLatin1Char('/') + QCoreApplication::applicationName() + QStringLiteral("/analyticssignalcache");
}

CacheFile::CacheFile(QString path, std::optional<LogHandler> log) : path_(std::move(path)), log_(std::move(log)) {}

CacheFile::~CacheFile() { release(); }

void CacheFile::log(LogLevel level, const QString& message) const {
  if (log_) log_->log(level, message);
}

bool CacheFile::claim() {
  if (path_.isEmpty()) return false;
  if (lock_) return true;
  const QString folder = QFileInfo(path_).absolutePath();
  if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir()) {
    log(LogLevel::error, QStringLiteral("Telemetry cache folder %1 cannot be made (something else stands there); "
                                        "keeping signals in memory")
                             .arg(folder));
    return false;
  }
  auto lock = std::make_unique<QLockFile>(path_ + QStringLiteral(".lock"));
  // A lock left by a killed process is taken over: QLockFile checks its pid.
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0) && !takeOverHalfWrittenLock(*lock)) {
    if (lock->error() == QLockFile::LockFailedError) {
      log(LogLevel::info, QStringLiteral("Telemetry cache %1 is in use by another process; keeping signals in memory")
                              .arg(path_));
    } else {
      log(LogLevel::error, QStringLiteral("Telemetry cache %1 cannot be written (its lock file cannot be made); "
                                          "keeping signals in memory")
                               .arg(path_));
    }
    return false;
  }
  lock_ = std::move(lock);
  return true;
}

void CacheFile::release() {
  if (lock_) lock_->unlock();
  lock_.reset();
}

Batch CacheFile::load() {
  if (!lock_) return {};
  log(LogLevel::info, QStringLiteral("Loading Telemetry cache from: ") + path_);
  QFile::remove(FileWrite::temporaryPath(path_));  // half a write of a killed run
  QFile file(path_);
  if (!file.open(QIODevice::ReadOnly)) return {};
  if (file.size() > kMaxFileBytes) {
    log(LogLevel::error, QStringLiteral("Telemetry cache is too large to be ours; removed"));
    file.close();
    QFile::remove(path_);
    return {};
  }
  const QByteArray bytes = file.readAll();
  file.close();
  int skipped = 0;
  std::optional<Batch> loaded = SignalCoding::decodeFile(bytes, &skipped);
  if (!loaded) {
    log(LogLevel::error, QStringLiteral("Telemetry cache could not be read; removed"));
    QFile::remove(path_);
    return {};
  }
  if (skipped > 0) log(LogLevel::error, QStringLiteral("Skipped %1 unreadable signals in the Telemetry cache").arg(skipped));
  log(LogLevel::info, QStringLiteral("Loaded %1 signals").arg(loaded->size()));
  return std::move(*loaded);
}

bool CacheFile::save(const Batch& records, LogLevel successLevel) {
  if (!lock_) return false;
  std::lock_guard guard(writing_);
  if (records.empty()) {
    QFile::remove(path_);
    return true;
  }
  const std::optional<QByteArray> bytes = SignalCoding::encode(records, SignalCoding::DateForm::file);
  if (!bytes || !FileWrite::atomically(path_, *bytes)) {
    log(LogLevel::error, QStringLiteral("Error saving Telemetry cache"));
    return false;
  }
  log(successLevel, QStringLiteral("Saved Telemetry cache %1 bytes of %2 signals").arg(bytes->size()).arg(records.size()));
  return true;
}

void CacheFile::remove() {
  if (!lock_) return;
  std::lock_guard guard(writing_);
  QFile::remove(path_);
}

}  // namespace analytics
