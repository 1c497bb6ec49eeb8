#include "analytics/ClientStore.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLockFile>

#include "analytics/CryptoHashing.h"
#include "analytics/FileWrite.h"

namespace analytics {

namespace {

// Identifies one version of the file: a replaced file has a new inode.
QByteArray stampOf(const QString& path) {
  struct stat st {};
  if (::stat(QFile::encodeName(path).constData(), &st) != 0) return {};
  return QByteArray::number(qulonglong(st.st_ino)) + ':' + QByteArray::number(qlonglong(st.st_size)) + ':' +
         QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
}

}  // namespace

QString ClientStore::prefix() { return QStringLiteral("org.analyticsclient."); }

QString ClientStore::suiteName(const QString& appID) { return prefix() + CryptoHashing::sha256(appID).right(12); }

QString ClientStore::defaultFolder() {
  QString base = qEnvironmentVariable("XDG_STATE_HOME");
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.local/state");
  return base + QLatin1Char('/') + QCoreApplication::applicationName();
}

ClientStore::ClientStore(QString filePath) : path_(std::move(filePath)) {}

QJsonObject ClientStore::readLocked() const {
  const QByteArray stamp = stampOf(path_);
  if (stamp.isEmpty()) {
    cache_ = {};
  } else if (stamp != stamp_) {
    QFile file(path_);
    cache_ = file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.read(1 << 20)).object() : QJsonObject();
  }
  stamp_ = stamp;
  return cache_;
}

QJsonValue ClientStore::value(const QString& key) const {
  std::lock_guard lock(mutex_);
  const QJsonObject object = readLocked();
  return object.contains(key) ? object.value(key) : QJsonValue(QJsonValue::Undefined);
}

bool ClientStore::update(const std::function<bool(QJsonObject&)>& change) {
  QLockFile lockFile(path_ + QStringLiteral(".lock"));
  QDir().mkpath(QFileInfo(path_).absolutePath());
  if (!lockFile.tryLock(2000)) return false;
  QJsonObject object = readLocked();
  if (!change(object)) return true;
  if (!FileWrite::atomically(path_, QJsonDocument(object).toJson(QJsonDocument::Compact))) return false;
  ++writes_;
  cache_ = object;
  stamp_ = stampOf(path_);
  return true;
}

void ClientStore::setValue(const QString& key, const QJsonValue& value) {
  std::lock_guard lock(mutex_);
  update([&](QJsonObject& object) {
    if (value.isUndefined()) {
      if (!object.contains(key)) return false;
      object.remove(key);
    } else {
      if (object.value(key) == value) return false;
      object.insert(key, value);
    }
    return true;
  });
}

QString ClientStore::stringOrInsert(const QString& key, const std::function<QString()>& make) {
  std::lock_guard lock(mutex_);
  QString result;
  update([&](QJsonObject& object) {
    if (object.value(key).isString()) {
      result = object.value(key).toString();
      return false;
    }
    result = make();
    object.insert(key, result);
    return true;
  });
  return result.isEmpty() ? make() : result;
}

}  // namespace analytics
