#include "crash/Session.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QUuid>

namespace crash {

namespace {
const QString kPattern = QStringLiteral("session-*.json");
QString iso(const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); }
}  // namespace

Session Session::begin(const QString& release, const QString& environment) {
  Session s;
  s.sid = QUuid::createUuid().toString(QUuid::WithoutBraces);
  s.started = QDateTime::currentDateTimeUtc();
  s.release = release;
  s.environment = environment;
  return s;
}

QJsonObject Session::toJson(const QDateTime& now) const {
  QJsonObject attrs{{QStringLiteral("release"), release}};
  if (!environment.isEmpty()) attrs.insert(QStringLiteral("environment"), environment);
  QJsonObject j{{QStringLiteral("sid"), sid},
                {QStringLiteral("init"), init},
                {QStringLiteral("started"), iso(started)},
                {QStringLiteral("timestamp"), iso(now)},
                {QStringLiteral("status"), status},
                {QStringLiteral("errors"), errors},
                {QStringLiteral("attrs"), attrs}};
  if (duration) j.insert(QStringLiteral("duration"), *duration);
  return j;
}

std::optional<Session> Session::fromJson(const QJsonObject& j) {
  Session s;
  s.sid = j.value(QStringLiteral("sid")).toString();
  s.started = QDateTime::fromString(j.value(QStringLiteral("started")).toString(), Qt::ISODateWithMs);
  const QJsonObject attrs = j.value(QStringLiteral("attrs")).toObject();
  s.release = attrs.value(QStringLiteral("release")).toString();
  s.environment = attrs.value(QStringLiteral("environment")).toString();
  s.errors = j.value(QStringLiteral("errors")).toInt();
  s.init = false;
  if (s.sid.isEmpty() || !s.started.isValid() || s.release.isEmpty()) return std::nullopt;
  return s;
}

SessionMarker::~SessionMarker() {
  if (fd_ >= 0) ::close(fd_);
}

bool SessionMarker::write(const QString& dir, const Session& session) {
  remove();
  QDir().mkpath(dir);
  path_ = dir + QStringLiteral("/session-") + session.sid + QStringLiteral(".json");
  // Locked and written under another name first: a run looking for orphans
  // never sees the marker unlocked or empty.
  const QByteArray temporary = QFile::encodeName(path_ + QStringLiteral(".new"));
  fd_ = ::open(temporary.constData(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd_ < 0) return false;
  const QByteArray json = QJsonDocument(session.toJson(session.started)).toJson(QJsonDocument::Compact);
  if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || ::write(fd_, json.constData(), size_t(json.size())) != json.size() ||
      ::rename(temporary.constData(), QFile::encodeName(path_).constData()) != 0) {
    ::unlink(temporary.constData());
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

void SessionMarker::remove() {
  if (fd_ < 0) return;
  ::unlink(QFile::encodeName(path_).constData());
  ::close(fd_);
  fd_ = -1;
}

void SessionMarker::takeOrphans(const QString& dir, const std::function<bool(Session&)>& keep) {
  for (const QString& name : QDir(dir).entryList({kPattern}, QDir::Files, QDir::Name)) {
    const QByteArray path = QFile::encodeName(dir + QLatin1Char('/') + name);
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    // A lock we cannot take is held by a run that is still going.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      QFile file;
      std::optional<Session> session;
      if (file.open(fd, QIODevice::ReadOnly)) session = Session::fromJson(QJsonDocument::fromJson(file.readAll()).object());
      // An unreadable marker has nothing to keep.
      if (!session || keep(*session)) ::unlink(path.constData());
    }
    ::close(fd);
  }
}

}  // namespace crash
