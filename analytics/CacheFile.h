#pragma once
#include <QLockFile>
#include <QString>
#include <memory>
#include <mutex>
#include <optional>

#include "analytics/LogHandler.h"
#include "analytics/SignalPostBody.h"

namespace analytics {

// The file that keeps unsent records across runs ("analyticssignalcache" in
// the application's cache folder). One process at a time owns it, through a
// lock file: a second copy of the program keeps its records in memory only,
// rather than overwrite the first one's file or send its records twice.
class CacheFile {
 public:
  // $XDG_CACHE_HOME (else ~/.cache), the application's name, "analyticssignalcache".
  static QString defaultPath();

  // An empty path: no file at all.
  CacheFile(QString path, std::optional<LogHandler> log);
  ~CacheFile();

  // Takes the file for this process; false when another live process has it.
  bool claim();
  bool owned() const { return lock_ != nullptr; }
  void release();
  const QString& path() const { return path_; }

  // What the file holds. The file stays until a save replaces or removes it;
  // a file that is no cache at all is removed at once.
  Batch load();
  // Replaces the file atomically with `records`; nothing to keep removes it.
  // False when the file could not be written (the old one then stands).
  bool save(const Batch& records, LogLevel successLevel = LogLevel::debug);
  // Removes the file (reports turned off).
  void remove();

 private:
  void log(LogLevel level, const QString& message) const;

  const QString path_;
  std::optional<LogHandler> log_;
  std::unique_ptr<QLockFile> lock_;
  std::mutex writing_;
};

}  // namespace analytics
