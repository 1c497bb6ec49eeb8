#pragma once
#include <QChar>
#include <QString>
#include <algorithm>

// Which letters of a read belong to the pass's own script when that is not
// Latin: the tests by which a misread into Latin look-alikes is told.
namespace ocr {

// A letter of a script other than Latin (marks and common signs are none).
inline bool otherScriptLetter(QChar ch) {
  return ch.isLetter() && ch.script() != QChar::Script_Latin && ch.script() != QChar::Script_Common &&
         ch.script() != QChar::Script_Inherited;
}

inline bool latinLetter(QChar ch) { return ch.isLetter() && ch.script() == QChar::Script_Latin; }

inline bool hasOtherScript(const QString& text) { return std::any_of(text.begin(), text.end(), otherScriptLetter); }

// Mostly letters of another script than Latin: half its letters and digits
// at least, and more than its digits ("報告書.pdf" is; "4 8 اا" for "4 MB"
// and "사진108" are not).
inline bool mostlyOtherScript(const QString& text) {
  int other = 0, digits = 0, all = 0;
  for (QChar ch : text) {
    if (!ch.isLetterOrNumber()) continue;
    ++all;
    if (otherScriptLetter(ch)) ++other;
    if (ch.isDigit()) ++digits;
  }
  return other > digits && 2 * other >= all;
}

}  // namespace ocr
