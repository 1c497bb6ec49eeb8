#include "recognition/words/ScriptWords.h"

#include <QLocale>
#include <QSet>

#include "recognition/base/Letters.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/base/ScriptLetters.h"

namespace ocr {

namespace {

// A read in another script must be this sure: what the first pass needs to
// stand. Dialogs and pages read in their own script come out at 0.66 and
// more, a title bar's buttons read as Arabic at 0.56.
constexpr double kFair = 0.6;
// A short read must be this sure to stand without the detector.
constexpr double kSure = 0.85;

// The script a language is written in; Chinese in either script and
// Japanese are one family: the detector tells them apart by a few kana.
QLocale::Script family(const QString& language) {
  const QLocale::Script script = QLocale(language).script();
  switch (script) {
    case QLocale::SimplifiedHanScript:
    case QLocale::TraditionalHanScript:
    case QLocale::JapaneseScript:
      return QLocale::HanScript;
    default:
      return script;
  }
}

// A word that is one letter, or a pair of them, over and over ("لالالا",
// "口口口"): what a model makes of a row of like shapes.
bool repeated(const QString& word) {
  if (word.size() < 3) return false;
  for (const qsizetype unit : {1, 2}) {
    bool same = true;
    for (qsizetype i = unit; i < word.size() && same; ++i) same = word[i] == word[i % unit];
    if (same) return true;
  }
  return false;
}

}  // namespace

bool readsAsWordsOf(const QString& text, const QString& code, double confidence) {
  QSet<QChar> distinct;
  qsizetype letters = 0, inRepeats = 0;
  QString own;  // the letters of another script of the word read so far
  auto wordEnds = [&] {
    letters += own.size();
    if (repeated(own)) inRepeats += own.size();
    for (const QChar ch : own) distinct.insert(ch);
    own.clear();
  };
  for (const QChar ch : text) {
    if (ch.isSpace()) wordEnds();
    else if (otherScriptLetter(ch)) own += ch;
  }
  wordEnds();
  if (letters == 0) return true;
  if (confidence < kFair) return false;
  if (text::letterCount(text) < 3) return distinct.size() == letters && confidence >= kSure;
  if (distinct.size() < 3 || 2 * inRepeats >= letters) return false;
  const auto detected = OCRLanguages::detect(text);
  return detected && family(*detected) == family(code);
}

}  // namespace ocr
