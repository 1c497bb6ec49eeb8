#include "app/CrashReporter.h"

#include <QStandardPaths>

CrashReporter::CrashReporter() = default;

CrashReporter::~CrashReporter() { close(); }

QString CrashReporter::folder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/tarvok/crash");
}

QString CrashReporter::release() { return QStringLiteral("tarvok@" TARVOK_VERSION); }

void CrashReporter::start(const reporting::CrashOptions& options) {
  // Personal data and tracing are never part of what this client sends, so
  // sendDefaultPii and tracesSampleRate need no handling beyond that.
  crash::Options o;
  o.dsn = options.dsn;
  o.release = release();
  o.environment = options.environment;
  o.dir = folder();
  o.crashHandler = options.enableCrashHandler;
  o.autoSessions = options.enableAutoSessionTracking;
  client_.start(o);
}

void CrashReporter::captureMessage(const QString& message, const QString& level, const reporting::Params& tags) {
  lastMessage_ = client_.captureMessage(message, level, tags);
}

void CrashReporter::close() { client_.close(); }

void CrashReporter::closeNow() { client_.closeNow(); }

void CrashReporter::discardPending() {
  // Reports turned off: not even the closing session update may go out.
  client_.abandon();
  crash::Client::discardPending(folder());
}

bool CrashReporter::lastMessageDelivered(std::chrono::milliseconds timeout) {
  return client_.delivered(lastMessage_, timeout);
}
