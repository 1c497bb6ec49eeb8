#include "ui/language/OCRChoice.h"

#include "recognition/base/OCRLanguages.h"

namespace OCRChoice {

const QList<Entry>& table() {
  static const QList<Entry> entries{
      {QStringLiteral("ko-KR"), QStringLiteral("한국어")},
      {QStringLiteral("en-US"), QStringLiteral("English")},
      {QStringLiteral("ja-JP"), QStringLiteral("日本語")},
      {QStringLiteral("zh-Hans"), QStringLiteral("简体中文")},
      {QStringLiteral("zh-Hant"), QStringLiteral("繁體中文")},
      {QStringLiteral("yue-Hant"), QStringLiteral("粵語")},
      {QStringLiteral("fr-FR"), QStringLiteral("Français")},
      {QStringLiteral("de-DE"), QStringLiteral("Deutsch")},
      {QStringLiteral("es-ES"), QStringLiteral("Español")},
      {QStringLiteral("it-IT"), QStringLiteral("Italiano")},
      {QStringLiteral("pt-BR"), QStringLiteral("Português")},
      {QStringLiteral("vi-VT"), QStringLiteral("Tiếng Việt")},
      {QStringLiteral("ru-RU"), QStringLiteral("Русский")},
      {QStringLiteral("uk-UA"), QStringLiteral("Українська")},
      {QStringLiteral("th-TH"), QStringLiteral("ไทย")},
      {QStringLiteral("ar-SA"), QStringLiteral("العربية")},
  };
  return entries;
}

QList<Entry> filter(const QStringList& supported) {
  QList<Entry> out;
  for (const Entry& e : table()) {
    if (supported.contains(e.code)) out << e;
  }
  return out;
}

const QList<Entry>& all() {
  // Thread-safe once-only initialisation: the capture road may ask first.
  static const QList<Entry> entries = filter(OCRLanguages::supported());
  return entries;
}

QStringList ordered(const QStringList& codes) {
  QStringList out;
  for (const Entry& e : all()) {
    if (codes.contains(e.code)) out << e.code;
  }
  return out;
}

QStringList preferred(bool manual, const QStringList& stored, const std::optional<QString>& uiLanguage) {
  if (manual) {
    const QStringList chosen = ordered(stored);
    if (!chosen.isEmpty()) return chosen;
  }
  return OCRLanguages::primary(uiLanguage);
}

}  // namespace OCRChoice
