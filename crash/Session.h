#pragma once
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <optional>

// Release-health sessions: one per run. While a run lives, its session is
// kept in a marker file that the run holds locked; a marker that nobody holds
// belongs to a run that ended without closing its session.
namespace crash {

struct Session {
  QString sid;
  QDateTime started;
  QString release;
  QString environment;
  QString status = QStringLiteral("ok");  // "ok", "exited", "crashed", "abnormal"
  int errors = 0;
  bool init = true;
  std::optional<double> duration;  // seconds

  static Session begin(const QString& release, const QString& environment);
  QJsonObject toJson(const QDateTime& now) const;
  static std::optional<Session> fromJson(const QJsonObject& json);
};

// The marker of the running session in `dir`, locked for as long as it lives.
class SessionMarker {
 public:
  SessionMarker() = default;
  ~SessionMarker();
  SessionMarker(const SessionMarker&) = delete;
  SessionMarker& operator=(const SessionMarker&) = delete;

  bool write(const QString& dir, const Session& session);
  // Deletes the marker: the session was closed.
  void remove();

  // Sessions of earlier runs whose marker nobody holds; their markers are deleted.
  static QList<Session> takeOrphans(const QString& dir);

 private:
  QString path_;
  int fd_ = -1;
};

}  // namespace crash
