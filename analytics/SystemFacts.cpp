#include "analytics/SystemFacts.h"

#include <sys/utsname.h>

#include <QFile>
#include <QMutex>
#include <QStringList>

namespace analytics {

namespace {

QByteArray readSmall(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.read(4096) : QByteArray();
}

// One value of os-release: KEY=value, KEY="value" or KEY='value'.
QString osReleaseValue(const QByteArray& text, const QByteArray& key) {
  for (const QByteArray& raw : text.split('\n')) {
    const QByteArray line = raw.trimmed();
    if (!line.startsWith(key + '=')) continue;
    QByteArray value = line.mid(key.size() + 1);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
      value = value.mid(1, value.size() - 2);
      value.replace("\\\"", "\"").replace("\\\\", "\\").replace("\\$", "$").replace("\\`", "`");
    }
    return QString::fromUtf8(value);
  }
  return {};
}

QString versionPrefix(const QString& name, const QString& version, int parts) {
  const QStringList pieces = version.split(QLatin1Char('.'));
  const QString cut = pieces.mid(0, parts).join(QLatin1Char('.'));
  return cut.isEmpty() ? name : name + QLatin1Char(' ') + cut;
}

QMutex hostMutex;
HostFacts hostFacts;

}  // namespace

SystemFacts SystemFacts::read(const QString& root) {
  const QString base = root.endsWith(QLatin1Char('/')) ? root.chopped(1) : root;
  SystemFacts f;
  utsname uts{};
  ::uname(&uts);
  f.architecture = QString::fromLatin1(uts.machine);

  QByteArray release = readSmall(base + QStringLiteral("/etc/os-release"));
  if (release.isEmpty()) release = readSmall(base + QStringLiteral("/usr/lib/os-release"));
  f.osName = osReleaseValue(release, "NAME");
  f.osVersion = osReleaseValue(release, "VERSION_ID");
  if (f.osName.isEmpty()) f.osName = QStringLiteral("Linux");
  if (f.osVersion.isEmpty()) f.osVersion = QString::fromLatin1(uts.release);

  for (const char* path : {"/sys/class/dmi/id/product_name", "/proc/device-tree/model",
                           "/sys/firmware/devicetree/base/model"}) {
    QByteArray model = readSmall(base + QLatin1String(path));
    model.truncate(model.indexOf('\0') < 0 ? model.size() : model.indexOf('\0'));
    f.modelName = QString::fromUtf8(model).trimmed();
    if (!f.modelName.isEmpty()) break;
  }
  if (f.modelName.isEmpty()) f.modelName = f.architecture;
  return f;
}

QString SystemFacts::systemVersion() const { return versionPrefix(osName, osVersion, 3); }
QString SystemFacts::majorSystemVersion() const { return versionPrefix(osName, osVersion, 1); }
QString SystemFacts::majorMinorSystemVersion() const { return versionPrefix(osName, osVersion, 2); }

void HostFacts::set(const HostFacts& facts) {
  QMutexLocker lock(&hostMutex);
  hostFacts = facts;
}

HostFacts HostFacts::current() {
  QMutexLocker lock(&hostMutex);
  return hostFacts;
}

}  // namespace analytics
