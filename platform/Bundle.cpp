#include "platform/Bundle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSet>
#include <mutex>

Q_LOGGING_CATEGORY(lcBundle, "tarvok.bundle", QtInfoMsg)

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
  State& s = state();
  std::unique_lock guard(s.lock);
  if (!s.infoLoaded) {
    // Read without the lock: finding the file takes it too.
    guard.unlock();
    const QJsonObject info =
        readObject(QStringLiteral("Info.json"), QStringLiteral("reports stay off and the About links hidden"));
    guard.lock();
    if (!s.infoLoaded) {
      s.infoLoaded = true;
      s.info = info;
    }
  }
  const QJsonValue value = s.info.value(key);
  return value.isString() ? value.toString() : QString();
}

QJsonObject readObject(const QString& relative, const QString& consequence, qint64 maxBytes) {
  const QString path = resource(relative);
  QString problem;
  QJsonObject object;
  QFile file(path);
  if (path.isEmpty()) {
    problem = QStringLiteral("no resource folder was found beside the program");
  } else if (!QFileInfo::exists(path)) {
    problem = QStringLiteral("the file is missing");
  } else if (!QFileInfo(path).isFile()) {
    problem = QStringLiteral("it is not a file");
  } else if (!file.open(QIODevice::ReadOnly)) {
    problem = QStringLiteral("the file cannot be read (%1)").arg(file.errorString());
  } else if (const QByteArray bytes = file.read(maxBytes + 1); bytes.size() > maxBytes) {
    problem = QStringLiteral("the file is larger than %1 MB").arg(maxBytes >> 20);
  } else {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError) {
      problem = QStringLiteral("it is not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
    } else if (!doc.isObject()) {
      problem = QStringLiteral("it holds no JSON object");
    } else {
      object = doc.object();
    }
  }
  if (!problem.isEmpty()) {
    static std::mutex lock;
    static QSet<QString> warned;
    const QString name = path.isEmpty() ? relative : path;
    std::lock_guard guard(lock);
    if (!warned.contains(name)) {
      warned.insert(name);
      qCWarning(lcBundle).noquote() << name + QStringLiteral(": ") + problem + QStringLiteral("; ") + consequence;
    }
  }
  return object;
}

}  // namespace Bundle
