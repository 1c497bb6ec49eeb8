#pragma once
// The real program with a resources folder of its own: the program finds its
// resources beside its executable, so the executable is linked (or copied)
// into a folder whose resources/Info.json names stub services on 127.0.0.1.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcessEnvironment>

#include "tests/support/TestEnv.h"

namespace crashtest {

class ProgramBundle {
 public:
  ProgramBundle(const QString& name, const QJsonObject& info) {
    dir_ = testenv::scratch() + QStringLiteral("/bundles/") + name;
    QDir(dir_).removeRecursively();
    QDir().mkpath(dir_ + QStringLiteral("/resources"));
    const QString exe = exe_ = dir_ + QStringLiteral("/tarvok");
    if (::link(TARVOK_EXE, QFile::encodeName(exe).constData()) != 0) QFile::copy(QStringLiteral(TARVOK_EXE), exe);
    for (const char* sub : {"Strings", "Fonts"}) {
      QFile::link(testenv::sourceResources() + QLatin1Char('/') + QLatin1String(sub),
                  dir_ + QStringLiteral("/resources/") + QLatin1String(sub));
    }
    QFile file(dir_ + QStringLiteral("/resources/Info.json"));
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(info).toJson());
  }

  QString exe() const { return exe_; }

 private:
  QString dir_;
  QString exe_;
};

}  // namespace crashtest
