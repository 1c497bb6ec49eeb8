#include "crash/Client.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QElapsedTimer>

#include "crash/CrashHandler.h"
#include "crash/CrashRecord.h"
#include "crash/Dsn.h"
#include "crash/Envelope.h"
#include "crash/Event.h"
#include "crash/Log.h"
#include "crash/PendingStore.h"
#include "crash/Sender.h"
#include "crash/Session.h"
#include "crash/Symbols.h"

namespace crash {

namespace {
const QString kCrashPattern = QStringLiteral("*.crash");
QString pendingDir(const QString& dir) { return dir + QStringLiteral("/pending"); }
}  // namespace

struct Client::State {
  Options options;
  Dsn dsn;
  std::unique_ptr<PendingStore> store;
  std::unique_ptr<Sender> sender;
  std::optional<Session> session;
  SessionMarker marker;
  QElapsedTimer clock;

  EventContext context() const { return {options.release, options.environment}; }

  // Crash files become fatal events plus the "crashed" update of their
  // session; markers nobody holds any more become "abnormal" updates. A file
  // or a marker goes only once its envelope is stored: with a full disk or a
  // read-only cache it waits for a later start.
  void collectEarlierRuns() {
    const QDir dir(options.dir);
    QHash<QString, qint64> crashedSessions;  // session -> time of its crash
    for (const QString& name : dir.entryList({kCrashPattern}, QDir::Files, QDir::Name)) {
      QFile file(dir.filePath(name));
      const std::optional<CrashRecord> record =
          file.open(QIODevice::ReadOnly) ? CrashRecord::parse(file.readAll()) : std::nullopt;
      if (!record) {
        qCWarning(lcCrash) << "unreadable crash file dropped:" << name;
        file.remove();
        continue;
      }
      qCInfo(lcCrash).noquote() << "reporting a crash of an earlier run:" << signalName(record->signal);
      if (store->add(envelope::ofEvent(fatalEvent(context(), *record, functionNames(*record)))).isEmpty()) continue;
      file.remove();
      if (!record->sessionId.isEmpty()) crashedSessions.insert(record->sessionId, record->time);
    }
    SessionMarker::takeOrphans(options.dir, [&](Session& s) {
      QDateTime ended = QDateTime::currentDateTimeUtc();
      if (crashedSessions.contains(s.sid)) {
        s.status = QStringLiteral("crashed");
        s.errors = std::max(1, s.errors);
        ended = QDateTime::fromSecsSinceEpoch(crashedSessions.value(s.sid), Qt::UTC);
        s.duration = std::max<qint64>(0, s.started.secsTo(ended));
      } else {
        s.status = QStringLiteral("abnormal");  // how long it ran is not known
      }
      qCInfo(lcCrash).noquote() << "earlier session ended" << s.status;
      return !store->add(envelope::ofSession(s.toJson(ended))).isEmpty();
    });
  }

  // The closing "exited" update, stored to go now or at the next start.
  QString storeExit() {
    if (!session) return {};
    session->status = QStringLiteral("exited");
    session->duration = double(clock.elapsed()) / 1000.0;
    return store->add(envelope::ofSession(session->toJson(QDateTime::currentDateTimeUtc())));
  }

  // Stops sending and lets go of the session marker and the handler.
  void end() {
    sender->abort();
    sender.reset();
    // Only now: a crash while sending is still caught.
    marker.remove();
    handler::uninstall();
  }
};

Client::Client() = default;

Client::~Client() { close(); }

bool Client::started() const { return state_ != nullptr; }

bool Client::start(const Options& options) {
  if (state_) return true;
  const std::optional<Dsn> dsn = Dsn::parse(options.dsn);
  if (!dsn) {
    qCWarning(lcCrash) << "crash reporting off: the DSN is not usable";
    return false;
  }
  auto s = std::make_unique<State>();
  s->options = options;
  s->dsn = *dsn;
  s->clock.start();
  QDir().mkpath(options.dir);
  s->store = std::make_unique<PendingStore>(pendingDir(options.dir), options.maxPending);
  s->collectEarlierRuns();
  if (options.autoSessions) {
    s->session = Session::begin(options.release, options.environment);
    if (!s->marker.write(options.dir, *s->session)) qCWarning(lcCrash) << "could not keep the session marker";
    s->store->add(envelope::ofSession(s->session->toJson(s->session->started)));
    s->session->init = false;
  }
  if (options.crashHandler) {
    const QByteArray header =
        CrashRecord::header(options.release, options.environment, s->session ? s->session->sid : QString());
    if (!handler::install(options.dir, header)) qCWarning(lcCrash) << "could not install the crash handler";
  }
  s->sender = std::make_unique<Sender>(s->dsn, *s->store);
  for (const QString& file : s->store->files()) s->sender->enqueue(file);
  state_ = std::move(s);
  qCInfo(lcCrash).noquote() << "crash reporting on," << options.environment;
  return true;
}

QString Client::captureMessage(const QString& message, const QString& level, const QMap<QString, QString>& tags) {
  if (!state_) return {};
  const QString file =
      state_->store->add(envelope::ofEvent(messageEvent(state_->context(), message, level, tags, QDateTime::currentDateTimeUtc())));
  state_->sender->enqueue(file);
  return file;
}

bool Client::delivered(const QString& file, std::chrono::milliseconds timeout) {
  if (!state_ || file.isEmpty()) return false;
  state_->sender->flush(timeout);
  return state_->sender->outcome(file) == Sender::Outcome::Accepted;
}

void Client::close() {
  if (!state_) return;
  State& s = *state_;
  s.sender->enqueue(s.storeExit());
  if (!s.sender->flush(s.options.closeTimeout)) qCInfo(lcCrash) << "closing with reports still on their way; kept for the next start";
  s.end();
  state_.reset();
}

void Client::closeNow() {
  if (!state_) return;
  state_->storeExit();
  state_->end();
  state_.reset();
}

void Client::abandon() {
  if (!state_) return;
  state_->end();
  state_.reset();
}

void Client::discardPending(const QString& dir) {
  const QDir d(dir);
  for (const QString& name : d.entryList({kCrashPattern}, QDir::Files)) QFile::remove(d.filePath(name));
  PendingStore(pendingDir(dir), 1).clear();
  // Sessions of runs that never closed would otherwise still go out.
  SessionMarker::takeOrphans(dir, [](Session&) { return true; });
}

}  // namespace crash
