#include "crash/Event.h"

#include <signal.h>
#include <sys/utsname.h>

#include <QFile>
#include <QJsonArray>
#include <QUuid>
#include <cxxabi.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace crash {

namespace {

QString hex(quint64 value) { return QStringLiteral("0x") + QString::number(value, 16); }

QString iso(const QDateTime& t) { return t.toUTC().toString(Qt::ISODateWithMs); }

// Cuts at a character boundary, never inside a surrogate pair.
QString cut(QString text, qsizetype limit) {
  text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
  if (text.size() <= limit) return text;
  qsizetype n = limit;
  if (text.at(n - 1).isHighSurrogate()) --n;
  return text.left(n);
}

QJsonObject osContext() {
  QJsonObject os{{QStringLiteral("name"), QStringLiteral("Linux")}};
  QFile release(QStringLiteral("/etc/os-release"));
  if (release.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : release.readAll().split('\n')) {
      const qsizetype eq = line.indexOf('=');
      if (eq < 0) continue;
      const QByteArray key = line.left(eq);
      const QString value = QString::fromUtf8(line.mid(eq + 1)).remove(QLatin1Char('"'));
      if (key == "VERSION_ID") os.insert(QStringLiteral("version"), value);
      else if (key == "ID") os.insert(QStringLiteral("distribution_name"), value);
      else if (key == "PRETTY_NAME") os.insert(QStringLiteral("distribution_pretty_name"), value);
    }
  }
  utsname u{};
  if (uname(&u) == 0) os.insert(QStringLiteral("kernel_version"), QString::fromUtf8(u.release));
  return os;
}

QJsonObject baseEvent(const EventContext& context, const QString& level, const QDateTime& when) {
  QJsonObject e;
  e.insert(QStringLiteral("event_id"), newId());
  e.insert(QStringLiteral("timestamp"), iso(when));
  e.insert(QStringLiteral("platform"), QStringLiteral("native"));
  e.insert(QStringLiteral("level"), level);
  if (!context.release.isEmpty()) e.insert(QStringLiteral("release"), context.release);
  if (!context.environment.isEmpty()) e.insert(QStringLiteral("environment"), context.environment);
  e.insert(QStringLiteral("sdk"), sdkInfo());
  e.insert(QStringLiteral("contexts"), QJsonObject{{QStringLiteral("os"), osContext()}});
  return e;
}

QString codeName(int sig, int code) {
  if (code == SI_USER) return QStringLiteral("SI_USER");
  if (code == SI_TKILL) return QStringLiteral("SI_TKILL");
  if (code == SI_KERNEL) return QStringLiteral("SI_KERNEL");
  if (sig == SIGSEGV && code == SEGV_MAPERR) return QStringLiteral("SEGV_MAPERR");
  if (sig == SIGSEGV && code == SEGV_ACCERR) return QStringLiteral("SEGV_ACCERR");
  if (sig == SIGBUS && code == BUS_ADRALN) return QStringLiteral("BUS_ADRALN");
  if (sig == SIGBUS && code == BUS_ADRERR) return QStringLiteral("BUS_ADRERR");
  if (sig == SIGBUS && code == BUS_OBJERR) return QStringLiteral("BUS_OBJERR");
  if (sig == SIGILL && code == ILL_ILLOPN) return QStringLiteral("ILL_ILLOPN");
  if (sig == SIGILL && code == ILL_ILLOPC) return QStringLiteral("ILL_ILLOPC");
  if (sig == SIGFPE && code == FPE_INTDIV) return QStringLiteral("FPE_INTDIV");
  if (sig == SIGTRAP && code == TRAP_BRKPT) return QStringLiteral("TRAP_BRKPT");
  return {};
}

QString describe(const CrashRecord& r) {
  QString text = QString::fromUtf8(strsignal(r.signal));
  if (r.terminated) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> plain(
        abi::__cxa_demangle(r.terminateType.constData(), nullptr, nullptr, &status), &std::free);
    const QString type = status == 0 && plain ? QString::fromUtf8(plain.get()) : QString::fromUtf8(r.terminateType);
    return type.isEmpty() ? QStringLiteral("std::terminate called without an active exception")
                          : QStringLiteral("std::terminate: uncaught exception of type ") + type;
  }
  if (r.signal == SIGSEGV || r.signal == SIGBUS) text += QStringLiteral(" at ") + hex(r.address);
  return text;
}

// The service derives the debug file's identity from the build ID: its first
// 16 bytes as a GUID whose first three fields are little-endian.
QString debugId(const QByteArray& buildIdHex) {
  QByteArray b = QByteArray::fromHex(buildIdHex).leftJustified(16, '\0', true);
  std::reverse(b.begin(), b.begin() + 4);
  std::reverse(b.begin() + 4, b.begin() + 6);
  std::reverse(b.begin() + 6, b.begin() + 8);
  return QUuid::fromRfc4122(b).toString(QUuid::WithoutBraces);
}

}  // namespace

QString sdkName() { return QStringLiteral("tarvok.crash"); }
QString sdkVersion() { return QStringLiteral(TARVOK_CRASH_VERSION); }
QJsonObject sdkInfo() { return {{QStringLiteral("name"), sdkName()}, {QStringLiteral("version"), sdkVersion()}}; }

QString newId() { return QUuid::createUuid().toString(QUuid::Id128); }

QString signalName(int number) {
  switch (number) {
    case SIGSEGV: return QStringLiteral("SIGSEGV");
    case SIGBUS: return QStringLiteral("SIGBUS");
    case SIGILL: return QStringLiteral("SIGILL");
    case SIGFPE: return QStringLiteral("SIGFPE");
    case SIGABRT: return QStringLiteral("SIGABRT");
    case SIGTRAP: return QStringLiteral("SIGTRAP");
    default: return QStringLiteral("signal ") + QString::number(number);
  }
}

QMap<QString, QString> clampTags(const QMap<QString, QString>& tags) {
  QMap<QString, QString> out;
  for (auto it = tags.begin(); it != tags.end(); ++it) {
    const QString key = cut(it.key(), 32);
    if (!key.trimmed().isEmpty()) out.insert(key, cut(it.value(), 200));
  }
  return out;
}

QJsonObject messageEvent(const EventContext& context, const QString& message, const QString& level,
                         const QMap<QString, QString>& tags, const QDateTime& now) {
  QJsonObject e = baseEvent(context, level, now);
  e.insert(QStringLiteral("message"), QJsonObject{{QStringLiteral("formatted"), message}});
  QJsonObject t;
  const QMap<QString, QString> clamped = clampTags(tags);
  for (auto it = clamped.begin(); it != clamped.end(); ++it) t.insert(it.key(), it.value());
  if (!t.isEmpty()) e.insert(QStringLiteral("tags"), t);
  return e;
}

QJsonObject fatalEvent(const EventContext& context, const CrashRecord& r, const QStringList& names) {
  const QDateTime when = r.time > 0 ? QDateTime::fromSecsSinceEpoch(r.time, Qt::UTC) : QDateTime::currentDateTimeUtc();
  // The release and environment are those of the run that crashed.
  EventContext own = context;
  if (!r.release.isEmpty()) own.release = r.release;
  if (!r.environment.isEmpty()) own.environment = r.environment;
  QJsonObject e = baseEvent(own, QStringLiteral("fatal"), when);

  QJsonArray frames;
  for (qsizetype i = r.frames.size() - 1; i >= 0; --i) {
    QJsonObject f{{QStringLiteral("instruction_addr"), hex(r.frames[i])}};
    if (i < names.size() && !names[i].isEmpty()) f.insert(QStringLiteral("function"), names[i]);
    for (const Module& m : r.modules) {
      if (r.frames[i] >= m.start && r.frames[i] < m.end) f.insert(QStringLiteral("package"), m.path);
    }
    frames.append(f);
  }
  QJsonObject meta{{QStringLiteral("number"), r.signal}, {QStringLiteral("code"), r.code},
                   {QStringLiteral("name"), signalName(r.signal)}};
  if (const QString code = codeName(r.signal, r.code); !code.isEmpty()) meta.insert(QStringLiteral("code_name"), code);
  QJsonObject mechanism{{QStringLiteral("type"), QStringLiteral("signalhandler")},
                        {QStringLiteral("handled"), false},
                        {QStringLiteral("synthetic"), true},
                        {QStringLiteral("meta"), QJsonObject{{QStringLiteral("signal"), meta}}}};
  QJsonObject exception{{QStringLiteral("type"), signalName(r.signal)},
                        {QStringLiteral("value"), describe(r)},
                        {QStringLiteral("mechanism"), mechanism},
                        {QStringLiteral("stacktrace"), QJsonObject{{QStringLiteral("frames"), frames}}}};
  e.insert(QStringLiteral("exception"), QJsonObject{{QStringLiteral("values"), QJsonArray{exception}}});

  QJsonArray images;
  for (const Module& m : r.modules) {
    QJsonObject image{{QStringLiteral("type"), QStringLiteral("elf")},
                      {QStringLiteral("code_file"), m.path},
                      {QStringLiteral("image_addr"), hex(m.start)},
                      {QStringLiteral("image_size"), double(m.end - m.start)},
                      {QStringLiteral("image_vmaddr"), hex(m.vmaddr)}};
    if (!m.buildId.isEmpty()) {
      image.insert(QStringLiteral("code_id"), QString::fromLatin1(m.buildId));
      image.insert(QStringLiteral("debug_id"), debugId(m.buildId));
    }
    images.append(image);
  }
  e.insert(QStringLiteral("debug_meta"), QJsonObject{{QStringLiteral("images"), images}});
  return e;
}

}  // namespace crash
