#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace crash {

// Envelopes waiting to be sent, one file each, so that they survive a quit,
// a crash or a dead network. At most `limit` are kept: a new one pushes out
// the oldest.
class PendingStore {
 public:
  PendingStore(const QString& dir, int limit);

  // Writes the envelope (atomically); its path, or empty when it could not be written.
  QString add(const QByteArray& envelope);
  // Oldest first.
  QStringList files() const;
  void remove(const QString& path);
  void clear();
  QString dir() const { return dir_; }

 private:
  QString dir_;
  int limit_;
};

}  // namespace crash
