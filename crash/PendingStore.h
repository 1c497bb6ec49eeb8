#pragma once
#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <mutex>
#include <vector>

namespace crash {

// Envelopes waiting to be sent, one file each, so that they survive a quit,
// a crash or a dead network. Events and session updates are bounded apart, at
// `limit` each, so that runs without a network, each adding session updates,
// never push out an event. Over the bound the updates of one session are first
// merged into its latest one; then the oldest sessions go, crashed ones last.
// Within a kind the oldest event goes first.
class PendingStore {
 public:
  PendingStore(const QString& dir, int limit);

  // Writes the envelope (atomically); its path, or empty when it could not be written.
  QString add(const QByteArray& envelope);
  // Oldest first.
  QStringList files() const;
  void remove(const QString& path);
  void clear();
  // The file on its way to the service (empty: none): trimming never touches it.
  void setSending(const QString& path);
  QString dir() const { return dir_; }

 private:
  struct Pending {
    QString path;
    QJsonObject session;  // empty for an event
  };
  void trim();  // with the lock held
  void mergeSessions(std::vector<Pending>& sessions);
  void dropOldest(std::vector<Pending>& list, const std::function<bool(const Pending&)>& may);

  QString dir_;
  int limit_;
  std::mutex mutex_;
  QString sending_;
};

}  // namespace crash
