#include "tests/support/Fixtures.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QUuid>

#include "platform/Bundle.h"
#include "tests/support/TestEnv.h"

namespace testenv {

namespace {
const QStringList kCodes = {"id", "ms", "ca", "cs", "da", "de", "es", "fr", "hr", "it", "hu", "nl",
                            "nb", "pl", "pt-BR", "ro", "sk", "sl", "fi", "sv", "vi", "tr", "el", "kk",
                            "ru", "uk", "he", "ar", "hi", "th", "ko", "ja", "zh-Hans", "zh-Hant"};
}

FakeBundle::FakeBundle(const QJsonObject& info) {
  dir_ = scratch() + "/bundle-" + QUuid::createUuid().toString(QUuid::WithoutBraces);
  QDir().mkpath(dir_ + "/Strings");
  QDir().mkpath(dir_ + "/Fonts");
  QFile::copy(sourceResources() + "/Strings/en.json", dir_ + "/Strings/en.json");
  for (const QString& code : kCodes) {
    writeCatalog(code, QJsonDocument(QJsonObject{{"_name", code}}).toJson());
  }
  writeInfo(info);
  Bundle::setResourceDir(dir_);
}

FakeBundle::~FakeBundle() {
  QDir(dir_).removeRecursively();
  Bundle::setResourceDir(sourceResources());
}

void FakeBundle::writeCatalog(const QString& code, const QByteArray& bytes) const {
  QFile file(dir_ + "/Strings/" + code + ".json");
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

void FakeBundle::removeCatalog(const QString& code) const { QFile::remove(dir_ + "/Strings/" + code + ".json"); }

void FakeBundle::writeInfo(const QJsonObject& info) const {
  QFile file(dir_ + "/Info.json");
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(QJsonDocument(info).toJson());
}

void FakeBundle::reload() const { Bundle::setResourceDir(dir_); }

}  // namespace testenv
