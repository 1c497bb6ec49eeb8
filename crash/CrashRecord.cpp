#include "crash/CrashRecord.h"

#include <QFile>

namespace crash {

namespace {

constexpr char kMagic[] = "tarvok-crash 1";

quint64 number(const QByteArray& text, bool* ok) {
  return text.startsWith("0x") ? text.mid(2).toULongLong(ok, 16) : text.toULongLong(ok, 10);
}

}  // namespace

QByteArray CrashRecord::header(const QString& release, const QString& environment, const QString& sessionId) {
  // One value per line: a newline inside a value would start a new key.
  auto clean = [](const QString& v) { return v.toUtf8().replace('\n', ' ').replace('\r', ' '); };
  return QByteArray(kMagic) + "\nrelease " + clean(release) + "\nenvironment " + clean(environment) + "\nsession " +
         clean(sessionId) + "\n";
}

std::optional<CrashRecord> CrashRecord::parse(const QByteArray& text) {
  const QList<QByteArray> lines = text.split('\n');
  if (lines.isEmpty() || lines.first() != kMagic) return std::nullopt;
  CrashRecord r;
  bool haveSignal = false;
  for (const QByteArray& line : lines.mid(1)) {
    const qsizetype space = line.indexOf(' ');
    const QByteArray key = space < 0 ? line : line.left(space);
    const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
    bool ok = true;
    if (key == "release") {
      r.release = QString::fromUtf8(value);
    } else if (key == "environment") {
      r.environment = QString::fromUtf8(value);
    } else if (key == "session") {
      r.sessionId = QString::fromUtf8(value);
    } else if (key == "signal") {
      r.signal = value.toInt(&ok);
      haveSignal = ok && r.signal > 0;
    } else if (key == "code") {
      r.code = value.toInt();
    } else if (key == "address") {
      r.address = number(value, &ok);
    } else if (key == "time") {
      r.time = value.toLongLong();
    } else if (key == "terminate") {
      r.terminated = true;
      r.terminateType = value;
    } else if (key == "frame") {
      const quint64 pc = number(value, &ok);
      if (ok) r.frames << pc;
    } else if (key == "module") {
      // START END BUILDID VMADDR PATH (the path may hold blanks)
      const QList<QByteArray> f = value.split(' ');
      if (f.size() < 5) continue;
      Module m;
      bool a = false, b = false, c = false;
      m.start = number(f[0], &a);
      m.end = number(f[1], &b);
      m.buildId = f[2] == "-" ? QByteArray() : f[2];
      m.vmaddr = number(f[3], &c);
      m.path = QString::fromUtf8(f.mid(4).join(' '));
      if (a && b && c && m.end > m.start) r.modules << m;
    } else if (key == "end") {
      r.complete = true;
    }
  }
  if (!haveSignal) return std::nullopt;
  return r;
}

}  // namespace crash
