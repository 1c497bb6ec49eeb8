// Arabic dialogs at 13 px read on the detector's road: real widgets, the
// real model and real engines. Small Arabic letters are told apart by their
// dots, and short words thick with dots stand alone on buttons.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>

#include "recognition/Recognizer.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/UiScreenScore.h"
#include "tests/recognition/UiScreens.h"

namespace {

using uiscreens::Kind;

class ArabicDialogs : public DetectorRoadTest {
 protected:
  struct Read {
    uiscreens::Screen screen;
    QString text;
    QStringList tokens;
  };
  static Read read(Kind kind, bool dark) {
    Read r{uiscreens::render(uiscreens::language("ar"), kind, 1, dark), {}, {}};
    r.text = Recognizer::recognize(r.screen.image, r.screen.language->prefer, true).text();
    r.tokens = r.text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    return r;
  }
};

// "النظام" (one dot over its nun) was read "التظام" (two dots), and the
// button "تطبيق" was lost whole: its seven dots looked like specks to the
// engine's line finder.
TEST_F(ArabicDialogs, DotsOfSmallLettersAndAButtonFullOfDotsAreRead) {
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    const Read r = read(Kind::Settings, dark);
    for (const char* word : {"النظام", "تطبيق"})
      EXPECT_TRUE(r.tokens.contains(QString::fromUtf8(word))) << word << "\n" << r.text.toStdString();
  }
}

// The default button "طباعة" (white on the accent colour) kept only "طبا":
// the word's last letters, short and apart from the rest, were taken for a
// button's arrow and painted over.
TEST_F(ArabicDialogs, DefaultButtonIsReadWhole) {
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    const Read r = read(Kind::Print, dark);
    EXPECT_TRUE(r.tokens.contains(r.screen.defaultButton)) << r.text.toStdString();
  }
}

// The arrows of a spin box in a dark theme, each a flat triangle, were read
// as letters ("Ww", "هه").
TEST_F(ArabicDialogs, SpinBoxArrowsAreNotRead) {
  const Read r = read(Kind::Print, true);
  const uiscreens::Score score = uiscreens::score(r.screen.expected, r.text, r.screen.language->spaceless);
  EXPECT_TRUE(score.junk.isEmpty()) << score.junk.join(" · ").toStdString() << "\n" << r.text.toStdString();
  EXPECT_GE(score.found, score.expected - 2) << score.missed.join(" · ").toStdString();
}

// A printer chooser at scale 1 (tabs, a list, radio buttons, a spin box,
// three buttons: short words thick with dots) comes back in Arabic: the
// models of other scripts read it as kana or Han junk, which never wins over
// the Arabic read.
TEST_F(ArabicDialogs, APrinterChooserComesBackInArabic) {
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    const Read r = read(Kind::Printers, dark);
    const bool arabicOrLatin = std::all_of(r.text.begin(), r.text.end(), [](QChar ch) {
      return !ch.isLetter() || ch.script() == QChar::Script_Arabic || ch.script() == QChar::Script_Latin;
    });
    EXPECT_TRUE(arabicOrLatin) << r.text.toStdString();
    const uiscreens::Score score = uiscreens::score(r.screen.expected, r.text, false);
    EXPECT_GE(score.found, 0.8 * score.expected) << score.missed.join(" · ").toStdString();
  }
}

}  // namespace
