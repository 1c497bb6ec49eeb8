// The language detector behind OCRLanguages::detect: CLD2. Its headers use FILE
// without including <cstdio> themselves.
#include <algorithm>
#include <cstdio>
#include <utility>
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

// Japanese is written with kana; a text of many Han characters and not one
// kana is Chinese, whatever share of it CLD2 scores as Japanese (a Chinese
// file list with its file names came back 60 % Japanese, 18 % Chinese).
// Shorter runs of kanji alone ("印刷設定", an address) are left to CLD2.
constexpr int kHanWithoutKana = 20;

bool chineseWithoutKana(const QString& text) {
  int han = 0;
  for (const QChar ch : text) {
    const QChar::Script script = ch.script();
    if (script == QChar::Script_Hiragana || script == QChar::Script_Katakana) return false;
    han += script == QChar::Script_Han;
  }
  return han >= kHanWithoutKana;
}

// Folds the Japanese share of `languages` into the Chinese hypothesis among
// them and puts the largest share first again. Without a Chinese hypothesis
// a Japanese lead leaves the text's language unknown: `false`.
bool foldJapaneseIntoChinese(CLD2::Language (&languages)[3], int (&percents)[3]) {
  int ja = -1, zh = -1;
  for (int i = 0; i < 3; ++i) {
    if (languages[i] == CLD2::JAPANESE) ja = i;
    if (languages[i] == CLD2::CHINESE || languages[i] == CLD2::CHINESE_T) zh = zh < 0 ? i : zh;
  }
  if (ja < 0) return true;
  if (zh < 0) return ja != 0;
  percents[zh] += percents[ja];
  percents[ja] = 0;
  const int top = int(std::max_element(percents, percents + 3) - percents);
  std::swap(languages[0], languages[top]);
  std::swap(percents[0], percents[top]);
  return true;
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
  if (chineseWithoutKana(text) && !foldJapaneseIntoChinese(languages, percents)) return std::nullopt;
  const CLD2::Language top = languages[0];
  if (top == CLD2::UNKNOWN_LANGUAGE || top == CLD2::TG_UNKNOWN_LANGUAGE) return std::nullopt;
  // The share of the text in the top language stands in for its probability.
  if (percents[0] < 60) return std::nullopt;
  const char* code = CLD2::LanguageCode(top);
  if (!code || !*code) return std::nullopt;
  return identifier(code);
}

}  // namespace OCRLanguages
