#pragma once
#include <QLoggingCategory>
#include <QString>
#include <functional>
#include <optional>

// Every message of the analytics client passes through one LogHandler: a
// minimum level and a writer. The standard writer is the Qt logging category
// "analytics"; a handler of nil silences the client.
namespace analytics {

Q_DECLARE_LOGGING_CATEGORY(lcAnalytics)

enum class LogLevel { debug = 0, info = 1, error = 2 };

// "DEBUG", "INFO", "ERROR".
QString description(LogLevel level);
std::optional<LogLevel> logLevelFromRaw(int raw);

struct LogHandler {
  using Writer = std::function<void(LogLevel, const QString&)>;

  LogLevel logLevel = LogLevel::info;
  Writer handler;
  // Whether the writer itself takes a level at all (the Qt category may be
  // switched off); none: every level it is given.
  std::function<bool(LogLevel)> writerAccepts;

  // True when a message of this level would be written: callers test it
  // before they build a large text.
  bool wants(LogLevel level) const;
  void log(LogLevel level, const QString& message) const;

  // The Qt category writer (debug, info and warning messages of "analytics").
  static LogHandler standard(LogLevel minimum);
  // One line "[Analytics: LEVEL] message" on standard output per message.
  static LogHandler standardOutput(LogLevel minimum);
};

// Logs through an optional handler; `make` runs only when the text is wanted.
template <class Make>
void logWith(const std::optional<LogHandler>& handler, LogLevel level, Make make) {
  if (handler && handler->wants(level)) handler->log(level, make());
}

}  // namespace analytics
