#pragma once
#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include "crash/CrashRecord.h"

// The event payloads. Nothing personal goes in: no user, no IP address, no
// host name; the operating system is described by name and version only.
namespace crash {

struct EventContext {
  QString release;
  QString environment;
};

// The client's own name and version, as the service sees it.
QString sdkName();
QString sdkVersion();
QJsonObject sdkInfo();

// Tags cut to what the service keeps: keys up to 32 characters, values up to
// 200, line breaks replaced by blanks; an empty key is dropped.
QMap<QString, QString> clampTags(const QMap<QString, QString>& tags);

QJsonObject messageEvent(const EventContext& context, const QString& message, const QString& level,
                         const QMap<QString, QString>& tags, const QDateTime& now);

// The fatal event of a crash record; `names` has one function name per frame
// (empty where unknown). Frames go out outermost first, the crashing one last.
QJsonObject fatalEvent(const EventContext& context, const CrashRecord& record, const QStringList& names);

// "SIGSEGV" and friends; "signal N" for others.
QString signalName(int number);
QString newId();  // 32 hex digits

}  // namespace crash
