// The language detector behind OCRLanguages::detect: CLD2. Its headers use FILE
// without including <cstdio> themselves.
#include <cstdio>
// clang-format off
#include <cld2/public/compact_lang_det.h>
#include <cld2/public/encodings.h>
// clang-format on

#include "recognition/base/Letters.h"
#include "recognition/base/OCRLanguages.h"

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

// Japanese is written with kana: in a text of many Han characters and not
// one, CLD2's Japanese share is Chinese where Chinese leads (a Chinese file
// list with its file names: 35 % Chinese, 31 % Japanese, 19 % English, so
// the pass was doubted). A Japanese lead is left alone: the Chinese models
// write no kana, so a Japanese page they read has none either. Shorter runs
// of kanji alone ("印刷設定", an address) are left to CLD2 too.
constexpr int kHanWithoutKana = 20;

bool manyHanNoKana(const QString& text) {
  int han = 0;
  for (const QChar ch : text) {
    const QChar::Script script = ch.script();
    if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana) return false;
    han += script == QChar::Script_Han;
  }
  return han >= kHanWithoutKana;
}

// Adds the Japanese share of the hypotheses to a leading Chinese one.
void foldJapaneseIntoChinese(const CLD2::Language (&languages)[3], int (&percents)[3]) {
  if (languages[0] != CLD2::CHINESE && languages[0] != CLD2::CHINESE_T) return;
  for (int i = 1; i < 3; ++i) {
    if (languages[i] != CLD2::JAPANESE) continue;
    percents[0] += percents[i];
    percents[i] = 0;
  }
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
  if (manyHanNoKana(text)) foldJapaneseIntoChinese(languages, percents);
  const CLD2::Language top = languages[0];
  if (top == CLD2::UNKNOWN_LANGUAGE || top == CLD2::TG_UNKNOWN_LANGUAGE) return std::nullopt;
  // The share of the text in the top language stands in for its probability.
  if (percents[0] < 60) return std::nullopt;
  const char* code = CLD2::LanguageCode(top);
  if (!code || !*code) return std::nullopt;
  return identifier(code);
}

}  // namespace OCRLanguages
