#pragma once
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <functional>
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

  // Hands each session of an earlier run whose marker nobody holds to
  // `keep`; its marker is deleted once `keep` says the session is taken care
  // of, and stays for the next start otherwise.
  static void takeOrphans(const QString& dir, const std::function<bool(Session&)>& keep);

 private:
  QString path_;
  int fd_ = -1;
};

}  // namespace crash
