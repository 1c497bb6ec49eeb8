#include "recognition/base/OCRLanguages.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <utility>

#include "core/Lang.h"

namespace OCRLanguages {

namespace {

// The one table from recognition codes to traineddata names; its order is the
// order of supported().
constexpr std::array<std::pair<const char*, const char*>, 15> kTraineddata{{
    {"en-US", "eng"},
    {"fr-FR", "fra"},
    {"it-IT", "ita"},
    {"de-DE", "deu"},
    {"es-ES", "spa"},
    {"pt-BR", "por"},
    {"vi-VT", "vie"},
    {"ko-KR", "kor"},
    {"ja-JP", "jpn"},
    {"zh-Hans", "chi_sim"},
    {"zh-Hant", "chi_tra"},
    {"ru-RU", "rus"},
    {"uk-UA", "ukr"},
    {"th-TH", "tha"},
    {"ar-SA", "ara"},
}};

// Tesseract's own compiled-in folder on Debian.
constexpr const char* kDistributionTessdata = "/usr/share/tesseract-ocr/5/tessdata";

std::optional<QStringList>& supportedOverride() {
  static std::optional<QStringList> codes;
  return codes;
}

void appendOnce(QStringList& list, const QString& code) {
  if (!list.contains(code)) list << code;
}

}  // namespace

const QStringList& latin() {
  static const QStringList list{QStringLiteral("en-US"), QStringLiteral("fr-FR"), QStringLiteral("it-IT"),
                                QStringLiteral("de-DE"), QStringLiteral("es-ES"), QStringLiteral("pt-BR"),
                                QStringLiteral("vi-VT")};
  return list;
}

const QStringList& scriptLeads() {
  static const QStringList list{QStringLiteral("ko-KR"),   QStringLiteral("ja-JP"), QStringLiteral("zh-Hans"),
                                QStringLiteral("zh-Hant"), QStringLiteral("ru-RU"), QStringLiteral("th-TH"),
                                QStringLiteral("ar-SA")};
  return list;
}

std::optional<QString> traineddata(const QString& code) {
  for (const auto& [c, name] : kTraineddata) {
    if (code == QLatin1String(c)) return QString::fromLatin1(name);
  }
  return std::nullopt;
}

QString tessdataDir() {
  // Tesseract ignores a TESSDATA_PREFIX that names nothing on disk.
  const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
  if (!prefix.isEmpty() && QFileInfo::exists(prefix)) return prefix;
  return QString::fromLatin1(kDistributionTessdata);
}

QStringList supportedIn(const QString& dir) {
  QStringList codes;
  const QDir folder(dir);
  for (const auto& [code, name] : kTraineddata) {
    const QFileInfo file(folder.filePath(QString::fromLatin1(name) + QStringLiteral(".traineddata")));
    if (file.isFile() && file.isReadable() && file.size() > 0) codes << QString::fromLatin1(code);
  }
  if (codes.isEmpty()) codes << QStringLiteral("en-US");
  return codes;
}

const QStringList& supported() {
  if (const auto& codes = supportedOverride()) return *codes;
  static const QStringList installed = supportedIn(tessdataDir());
  return installed;
}

void setSupportedForTesting(std::optional<QStringList> codes) { supportedOverride() = std::move(codes); }

QString base(const QString& code) {
  if (code.startsWith(QLatin1String("zh")) || code.startsWith(QLatin1String("yue"))) return code;
  const qsizetype dash = code.indexOf(QLatin1Char('-'));
  return dash < 0 ? code : code.left(dash);
}

std::optional<QString> match(const QString& tag) {
  const QStringList& codes = supported();
  if (codes.contains(tag)) return tag;
  const LangTag parts = LangTag::parse(tag);
  if (parts.language.isEmpty()) return std::nullopt;
  if (parts.language == QLatin1String("zh") || parts.language == QLatin1String("yue")) {
    QString script = parts.script;
    if (script.isEmpty()) {
      // Macau writes Traditional Chinese like Taiwan and Hong Kong.
      const bool traditional = tag.contains(QLatin1String("TW")) || tag.contains(QLatin1String("HK")) ||
                               tag.contains(QLatin1String("MO"));
      script = traditional ? QStringLiteral("Hant") : QStringLiteral("Hans");
    }
    const QString code = parts.language + QLatin1Char('-') + script;
    if (codes.contains(code)) return code;
    return std::nullopt;
  }
  const QString prefix = parts.language + QLatin1Char('-');
  for (const QString& code : codes) {
    if (code.startsWith(prefix)) return code;
  }
  return std::nullopt;
}

QStringList primary(const std::optional<QString>& uiLanguage) {
  QStringList candidates;
  if (uiLanguage) candidates << *uiLanguage;
  candidates << Lang::preferredLanguages();
  QStringList result;
  for (const QString& candidate : candidates) {
    if (auto code = match(candidate)) appendOnce(result, *code);
  }
  appendOnce(result, QStringLiteral("en-US"));
  return result;
}

QStringList firstPass(const QStringList& prefer) {
  const QStringList& codes = supported();
  QStringList result;
  for (const QStringList* list : {&prefer, &latin()}) {
    for (const QString& code : *list) {
      if (codes.contains(code)) appendOnce(result, code);
    }
  }
  return result;
}

std::optional<QString> latinCode(const QString& detected) {
  if (detected == QLatin1String("en")) return std::nullopt;
  const QStringList& codes = supported();
  for (const QString& code : latin()) {
    if (base(code) == detected && codes.contains(code)) return code;
  }
  return std::nullopt;
}

QStringList otherScripts(const QStringList& excluding) {
  const QStringList& codes = supported();
  QStringList result;
  for (const QString& code : scriptLeads()) {
    if (!excluding.isEmpty() && code == excluding.first()) continue;
    if (codes.contains(code)) result << code;
  }
  return result;
}

}  // namespace OCRLanguages
