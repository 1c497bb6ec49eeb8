#include "analytics/LogHandler.h"

#include <cstdio>

namespace analytics {

Q_LOGGING_CATEGORY(lcAnalytics, "analytics", QtInfoMsg)

QString description(LogLevel level) {
  switch (level) {
    case LogLevel::debug:
      return QStringLiteral("DEBUG");
    case LogLevel::info:
      return QStringLiteral("INFO");
    case LogLevel::error:
      return QStringLiteral("ERROR");
  }
  return {};
}

std::optional<LogLevel> logLevelFromRaw(int raw) {
  if (raw < 0 || raw > 2) return std::nullopt;
  return static_cast<LogLevel>(raw);
}

bool LogHandler::wants(LogLevel level) const {
  if (!handler || static_cast<int>(level) < static_cast<int>(logLevel)) return false;
  return !writerAccepts || writerAccepts(level);
}

void LogHandler::log(LogLevel level, const QString& message) const {
  if (wants(level)) handler(level, message);
}

LogHandler LogHandler::standard(LogLevel minimum) {
  LogHandler h;
  h.logLevel = minimum;
  h.handler = [](LogLevel level, const QString& message) {
    switch (level) {
      case LogLevel::debug:
        qCDebug(lcAnalytics).noquote() << message;
        break;
      case LogLevel::info:
        qCInfo(lcAnalytics).noquote() << message;
        break;
      case LogLevel::error:
        qCWarning(lcAnalytics).noquote() << message;
        break;
    }
  };
  h.writerAccepts = [](LogLevel level) {
    switch (level) {
      case LogLevel::debug:
        return lcAnalytics().isDebugEnabled();
      case LogLevel::info:
        return lcAnalytics().isInfoEnabled();
      case LogLevel::error:
        return lcAnalytics().isWarningEnabled();
    }
    return false;
  };
  return h;
}

LogHandler LogHandler::standardOutput(LogLevel minimum) {
  LogHandler h;
  h.logLevel = minimum;
  h.handler = [](LogLevel level, const QString& message) {
    const QByteArray line = QStringLiteral("[Analytics: %1] %2\n").arg(description(level), message).toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
    std::fflush(stdout);
  };
  return h;
}

}  // namespace analytics
