#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <memory>
#include <mutex>
#include <optional>

class QSettings;

#include "platform/PrefFile.h"

// A per-user key/value store with typed reads and registered defaults, kept in
// an INI file. INI alone loses types (false reads back as "false", a one-element
// list as a plain string, an empty list as nothing), so every value is written
// with its type and read back as what was written.
//
// The store never destroys what it cannot read. A file that does not read
// cleanly (see preffile::problem) is not read at all: the store starts empty,
// and before its first write it moves the file aside, beside it, with one
// warning naming both files. The same happens when someone else leaves such a
// file there while the program runs. When it cannot be moved, what is stored
// lives in memory only.
class PrefStore {
 public:
  explicit PrefStore(const QString& filePath);
  ~PrefStore();
  PrefStore(const PrefStore&) = delete;
  PrefStore& operator=(const PrefStore&) = delete;

  // The user's preferences: $XDG_CONFIG_HOME/tarvok/tarvok.conf.
  static PrefStore& standard();
  // Application state that is not a preference: $XDG_STATE_HOME/tarvok/state.conf.
  static PrefStore& state();

  QString filePath() const;
  // Reads and writes `filePath` from now on. The snapshot renderer points the
  // user's store at a copy so that nothing it changes reaches the real file.
  void useFile(const QString& filePath);

  // Defaults live in memory only; a stored value always wins.
  void registerDefaults(const QVariantMap& defaults);

  // The stored value with its type, else the registered default, else invalid.
  QVariant object(const QString& key) const;
  bool contains(const QString& key) const;  // stored or registered

  bool boolValue(const QString& key) const;     // false when absent or not convertible
  qint64 integer(const QString& key) const;     // 0 when absent or not convertible
  std::optional<QString> string(const QString& key) const;
  std::optional<QStringList> stringList(const QString& key) const;

  void setBool(const QString& key, bool value);
  void setInteger(const QString& key, qint64 value);
  // Several integers in one write, so that no reader or crash ever sees part of them.
  void setIntegers(const QList<QPair<QString, qint64>>& values);
  void setString(const QString& key, const QString& value);
  void setStringList(const QString& key, const QStringList& value);
  void setDouble(const QString& key, double value);
  void remove(const QString& key);

 private:
  void write(const QList<QPair<QString, QString>>& entries);
  // Reads `path` when it reads cleanly; otherwise leaves it for writable().
  void open(const QString& path);
  // Makes the file ready for a write (lock held): moves an unreadable file
  // aside first. False when writes can only go to memory.
  bool writable();
  // Writes what was set (lock held); a failed save is said once, until one
  // succeeds again. The values stay in memory for this run either way.
  void sync();

  mutable std::mutex lock_;
  QString path_;
  std::unique_ptr<QSettings> settings_;  // none while an unreadable file is at path_
  QString unreadable_;                   // why; empty when the file reads cleanly
  bool memoryOnly_ = false;              // the unreadable file could not be moved aside
  QMap<QString, QString> memory_;        // what was stored while memoryOnly_
  preffile::Stamp seen_;                 // the file as we last read or wrote it
  bool saveFailed_ = false;              // the last save failed and was said
  QVariantMap defaults_;
};
