// The language detector behind OCRLanguages::detect: CLD2. Its headers use FILE
// without including <cstdio> themselves.
#include <cstdio>
// clang-format off
#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>
// clang-format on

#include "recognition/Letters.h"
#include "recognition/OCRLanguages.h"

namespace OCRLanguages {

namespace {

// CLD2 still speaks a few retired ISO codes and calls Simplified Chinese "zh".
QString identifier(const char* code) {
  const QString c = QString::fromLatin1(code);
  if (c == QLatin1String("zh")) return QStringLiteral("zh-Hans");
  if (c == QLatin1String("iw")) return QStringLiteral("he");
  if (c == QLatin1String("in")) return QStringLiteral("id");
  if (c == QLatin1String("ji")) return QStringLiteral("yi");
  if (c == QLatin1String("jw")) return QStringLiteral("jv");
  return c;
}

}  // namespace

std::optional<QString> detect(const QString& text) {
  if (text::letterCount(text) < 3) return std::nullopt;
  const QByteArray utf8 = text.toUtf8();
  CLD2::Language languages[3];
  int percents[3] = {0, 0, 0};
  double normalized[3];
  int textBytes = 0;
  bool reliable = false;
  const CLD2::CLDHints hints = {nullptr, nullptr, CLD2::UNKNOWN_ENCODING, CLD2::UNKNOWN_LANGUAGE};
  // Best effort: without it short texts come back unknown.
  CLD2::ExtDetectLanguageSummary(utf8.constData(), int(utf8.size()), true, &hints, CLD2::kCLDFlagBestEffort,
                                 languages, percents, normalized, nullptr, &textBytes, &reliable);
  const CLD2::Language top = languages[0];
  if (top == CLD2::UNKNOWN_LANGUAGE || top == CLD2::TG_UNKNOWN_LANGUAGE) return std::nullopt;
  // The share of the text in the top language stands in for its probability.
  if (percents[0] < 60) return std::nullopt;
  const char* code = CLD2::LanguageCode(top);
  if (!code || !*code) return std::nullopt;
  return identifier(code);
}

}  // namespace OCRLanguages
