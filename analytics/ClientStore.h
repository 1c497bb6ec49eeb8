#pragma once
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

// The client's own small store of state (its identity, the session history,
// a free trial under way): one JSON file per application identifier, kept in
// the user's state folder, not among preferences. Two processes may share it:
// every change re-reads the file under a lock file and replaces it whole.
namespace analytics {

class ClientStore {
 public:
  // The reverse-DNS prefix of the client's names.
  static QString prefix();
  // The prefix and the last 12 hex digits of the SHA-256 of the identifier.
  static QString suiteName(const QString& appID);
  // $XDG_STATE_HOME (else ~/.local/state) and the application's name.
  static QString defaultFolder();

  explicit ClientStore(QString filePath);
  const QString& path() const { return path_; }

  // Undefined when the key is absent or the file unreadable.
  QJsonValue value(const QString& key) const;
  // An undefined value removes the key. A failure skips the write.
  void setValue(const QString& key, const QJsonValue& value);
  // The stored text under `key`, or `make()` stored and returned when there
  // is none, decided under the lock so that two processes agree.
  QString stringOrInsert(const QString& key, const std::function<QString()>& make);

  // How many times the file was written (benches).
  int writeCount() const { return writes_; }

 private:
  QJsonObject readLocked() const;
  bool update(const std::function<bool(QJsonObject&)>& change);

  const QString path_;
  mutable std::mutex mutex_;
  mutable QJsonObject cache_;
  mutable QByteArray stamp_;  // inode, size and time of the file cache_ came from
  std::atomic<int> writes_{0};
};

}  // namespace analytics
