#include <QFileInfo>
#include <QJsonObject>
#include <QMutex>

#include "core/Lang.h"
#include "platform/Bundle.h"

namespace Catalog {

namespace {

QMutex mutex;

// The largest catalogue read. Ours hold a few kilobytes each (under 9 KB); a
// file hundreds of times that size is damaged or not ours.
constexpr qint64 kMaxBytes = qint64(4) << 20;

QString path(const QString& code) {
  const QString file = Bundle::resource(QStringLiteral("Strings/") + code + QStringLiteral(".json"));
  return !file.isEmpty() && QFileInfo(file).isFile() ? file : QString();
}

Texts load(const QString& code) {
  Texts texts;
  const bool english = code == QLatin1String("en");
  // Only English must be there; another language without a file is not offered.
  if (!english && path(code).isEmpty()) return texts;
  const QJsonObject object = Bundle::readObject(
      QStringLiteral("Strings/") + code + QStringLiteral(".json"),
      english ? QStringLiteral("texts show as their keys") : QStringLiteral("English is shown instead"), kMaxBytes);
  for (auto it = object.begin(); it != object.end(); ++it) {
    if (it.value().isString()) {
      texts.insert(it.key(), it.value().toString());
    } else if (it.value().isBool()) {
      texts.insert(it.key(), it.value().toBool() ? QStringLiteral("true") : QStringLiteral("false"));
    }
  }
  return texts;
}

}  // namespace

const QStringList& order() {
  static const QStringList codes = {
      "id", "ms", "ca", "cs", "da", "de", "en", "es", "fr", "hr", "it", "hu",
      "nl", "nb", "pl", "pt-BR", "ro", "sk", "sl", "fi", "sv", "vi", "tr", "el",
      "kk", "ru", "uk", "he", "ar", "hi", "th", "ko", "ja", "zh-Hans", "zh-Hant"};
  return codes;
}

// Both caches belong to one resource folder; they are computed once per process
// unless the folder itself is changed.

const QStringList& codes() {
  static QStringList present;
  static int generation = -1;
  QMutexLocker guard(&mutex);
  if (generation != Bundle::generation()) {
    generation = Bundle::generation();
    present.clear();
    for (const QString& code : order()) {
      if (!path(code).isEmpty()) present << code;
    }
  }
  return present;
}

Texts raw(const QString& code) {
  // A failed load is cached like a success: the file is not read again.
  static QHash<QString, Texts> cache;
  static int generation = -1;
  QMutexLocker guard(&mutex);
  if (generation != Bundle::generation()) {
    generation = Bundle::generation();
    cache.clear();
  }
  auto it = cache.constFind(code);
  if (it != cache.constEnd()) return *it;
  return *cache.insert(code, load(code));
}

std::optional<QString> match(const QString& tag) {
  const LangTag parts = LangTag::parse(tag);
  if (parts.language.isEmpty()) return std::nullopt;
  QString candidate;
  if (parts.language == QLatin1String("zh")) {
    if (!parts.script.isEmpty()) {
      candidate = QStringLiteral("zh-") + parts.script;
    } else if (tag.contains(QLatin1String("TW")) || tag.contains(QLatin1String("HK")) ||
               tag.contains(QLatin1String("MO"))) {
      candidate = QStringLiteral("zh-Hant");
    } else {
      candidate = QStringLiteral("zh-Hans");
    }
  } else if (parts.language == QLatin1String("no") || parts.language == QLatin1String("nn")) {
    candidate = QStringLiteral("nb");
  } else if (parts.language == QLatin1String("pt")) {
    candidate = QStringLiteral("pt-BR");
  } else {
    candidate = parts.language;
  }
  if (codes().contains(candidate)) return candidate;
  return std::nullopt;
}

}  // namespace Catalog
