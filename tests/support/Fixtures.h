#pragma once
#include <QJsonObject>
#include <QString>

namespace testenv {

// A resource folder of its own for one test: Strings/ holds a stub catalogue
// for every candidate language plus the real English one, and Info.json the
// given keys. The bundle points at it until the object dies.
class FakeBundle {
 public:
  explicit FakeBundle(const QJsonObject& info = {});
  ~FakeBundle();
  QString dir() const { return dir_; }
  // Writes Strings/<code>.json with raw bytes (malformed content included).
  void writeCatalog(const QString& code, const QByteArray& bytes) const;
  void removeCatalog(const QString& code) const;
  void writeInfo(const QJsonObject& info) const;
  // Makes the bundle re-read its folder (after files changed).
  void reload() const;

 private:
  QString dir_;
};

}  // namespace testenv
