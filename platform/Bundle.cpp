#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <mutex>

namespace {

struct State {
  std::mutex lock;
  bool located = false;
  QString dir;
  bool infoLoaded = false;
  QJsonObject info;
  int generation = 0;
};

State& state() {
  static State s;
  return s;
}

QString locate() {
  QString exeDir = QCoreApplication::applicationDirPath();
  if (exeDir.isEmpty()) {
    exeDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    exeDir = QFileInfo(exeDir).absolutePath();
  }
  for (const QString& candidate : {exeDir + QStringLiteral("/resources"),
                                   exeDir + QStringLiteral("/../share/tarvok")}) {
    if (QFileInfo(candidate + QStringLiteral("/Strings")).isDir()) {
      return QDir(candidate).canonicalPath();
    }
  }
  return {};
}

}  // namespace

namespace Bundle {

QString resourceDir() {
  State& s = state();
  std::lock_guard guard(s.lock);
  if (!s.located) {
    s.dir = locate();
    s.located = true;
  }
  return s.dir;
}

void setResourceDir(const QString& dir) {
  State& s = state();
  std::lock_guard guard(s.lock);
  s.dir = dir;
  s.located = true;
  s.infoLoaded = false;
  s.info = {};
  ++s.generation;
}

int generation() {
  State& s = state();
  std::lock_guard guard(s.lock);
  return s.generation;
}

QString resource(const QString& relative) {
  const QString dir = resourceDir();
  return dir.isEmpty() ? QString() : dir + QLatin1Char('/') + relative;
}

QString infoString(const QString& key) {
  const QString path = resource(QStringLiteral("Info.json"));
  State& s = state();
  std::lock_guard guard(s.lock);
  if (!s.infoLoaded) {
    s.infoLoaded = true;
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly)) {
      s.info = QJsonDocument::fromJson(file.readAll()).object();
    }
  }
  const QJsonValue value = s.info.value(key);
  return value.isString() ? value.toString() : QString();
}

}  // namespace Bundle
