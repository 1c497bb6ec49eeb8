#pragma once
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace crash {

// A loaded ELF image as the crash handler saw it.
struct Module {
  quint64 start = 0;   // where its headers were mapped
  quint64 end = 0;     // end of its last consecutive mapping
  quint64 vmaddr = 0;  // the address its first segment asks for
  QByteArray buildId;  // hex, empty when it has none
  QString path;
};

// What one crash file says. The file is lines of "key value"; the handler
// writes the header lines given at install, then the signal, its stack and
// the module map, and "end" when it got that far.
struct CrashRecord {
  QString release;
  QString environment;
  QString sessionId;
  int signal = 0;
  int code = 0;
  quint64 address = 0;
  qint64 time = 0;             // seconds since the epoch
  QByteArray terminateType;    // mangled type of the exception std::terminate saw
  bool terminated = false;
  QList<quint64> frames;       // innermost (the crashing one) first
  QList<Module> modules;
  bool complete = false;

  // Nothing when the text is no crash record at all.
  static std::optional<CrashRecord> parse(const QByteArray& text);
  // The header lines the handler copies into every file.
  static QByteArray header(const QString& release, const QString& environment, const QString& sessionId);
};

}  // namespace crash
