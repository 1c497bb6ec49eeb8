#include "crash/PendingStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <atomic>
#include <unistd.h>

#include "crash/Envelope.h"
#include "crash/Log.h"

namespace crash {

namespace {

const QString kSuffix = QStringLiteral(".envelope");
std::atomic<int> counter{0};

bool write(const QString& path, const QByteArray& bytes) {
  QSaveFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

QString sidOf(const QJsonObject& session) { return session.value(QStringLiteral("sid")).toString(); }

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
  if (!write(path, envelope)) {
    qCWarning(lcCrash) << "could not keep an envelope in" << dir_;
    return {};
  }
  std::lock_guard lock(mutex_);
  trim();
  return path;
}

void PendingStore::trim() {
  std::vector<Pending> events, sessions;
  for (const QString& path : files()) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) continue;
    const QJsonObject session = envelope::sessionOf(file.readAll());
    (session.isEmpty() ? events : sessions).push_back({path, session});
  }
  dropOldest(events, [](const Pending&) { return true; });
  if (int(sessions.size()) <= limit_) return;
  mergeSessions(sessions);
  dropOldest(sessions, [](const Pending& p) { return p.session.value(QStringLiteral("status")) != QLatin1String("crashed"); });
  dropOldest(sessions, [](const Pending&) { return true; });
}

// One update per session is enough: the latest stands for all of them, and
// starts the session on the service ("init") when an update it replaces would
// have. A session with an update on its way is left for a later trim.
void PendingStore::mergeSessions(std::vector<Pending>& sessions) {
  struct Group {
    size_t latest = 0;
    bool starts = false;
    bool keepAll = false;
  };
  QHash<QString, Group> groups;
  for (size_t i = 0; i < sessions.size(); ++i) {
    Group& g = groups[sidOf(sessions[i].session)];
    g.latest = i;
    g.starts = g.starts || sessions[i].session.value(QStringLiteral("init")).toBool();
    g.keepAll = g.keepAll || sessions[i].path == sending_;
  }
  for (auto it = groups.begin(); it != groups.end(); ++it) {
    Group& g = it.value();
    Pending& last = sessions[g.latest];
    if (it.key().isEmpty() || g.keepAll || !g.starts || last.session.value(QStringLiteral("init")).toBool()) continue;
    last.session.insert(QStringLiteral("init"), true);
    // Not rewritten: the older updates stay, so that the start is not lost.
    if (!write(last.path, envelope::ofSession(last.session))) g.keepAll = true;
  }
  std::vector<Pending> kept;
  for (size_t i = 0; i < sessions.size(); ++i) {
    const QString sid = sidOf(sessions[i].session);
    const Group& g = groups[sid];
    if (sid.isEmpty() || g.keepAll || g.latest == i) {
      kept.push_back(sessions[i]);
    } else {
      QFile::remove(sessions[i].path);
    }
  }
  sessions = std::move(kept);
}

void PendingStore::dropOldest(std::vector<Pending>& list, const std::function<bool(const Pending&)>& may) {
  for (auto it = list.begin(); it != list.end() && int(list.size()) > limit_;) {
    if (it->path == sending_ || !may(*it)) {
      ++it;
      continue;
    }
    qCInfo(lcCrash) << "pending reports over the limit: dropping the oldest" << (it->session.isEmpty() ? "event" : "session update");
    QFile::remove(it->path);
    it = list.erase(it);
  }
}

QStringList PendingStore::files() const {
  QStringList out;
  const QDir dir(dir_);
  for (const QString& name : dir.entryList({QLatin1Char('*') + kSuffix}, QDir::Files, QDir::Name)) out << dir.filePath(name);
  return out;
}

void PendingStore::remove(const QString& path) {
  std::lock_guard lock(mutex_);
  QFile::remove(path);
}

void PendingStore::clear() {
  for (const QString& path : files()) remove(path);
}

void PendingStore::setSending(const QString& path) {
  std::lock_guard lock(mutex_);
  sending_ = path;
}

}  // namespace crash
