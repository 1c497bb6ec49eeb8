#pragma once
#include <QString>

// Whether a read in a script other than Latin is words of a language, or
// junk that a model of that script made of what it was given: the Japanese
// model reads an Arabic dialog as kana ("ちょのもao 4にJI dasa!", "ュー"), the
// Arabic model a title bar's three buttons as "لالالا", the Chinese ones as
// "口口口". Such a read can hold more letters, read with more confidence,
// than the first pass's clean read of the page: letters and confidence do
// not tell it.
namespace ocr {

// Whether `text`, read by a pass whose first language is `code` ("ar-SA"),
// reads as words of that language: read with `confidence` 0.6 at least, the
// language detector finds a language written in the script of `code`
// (Chinese and Japanese count as one), and its letters of that script are
// more than a letter or two repeated. Of one or two letters (a button's
// "取消", too short to detect) it asks that they differ and were read with
// 0.85 at least. A text without a letter of another script than Latin makes
// no claim: true.
bool readsAsWordsOf(const QString& text, const QString& code, double confidence);

}  // namespace ocr
