// A small form of real widgets on a HiDPI screen, on a page lighter than its
// window as many dialogs have: the screen cleaning takes the spin box's
// arrows away and leaves every letter of the labels, round ones included
// (the "o" of "Copies:" is no radio button).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "recognition/clean/ChromeShapes.h"
#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/TextImages.h"
#include "tests/recognition/UiScreens.h"

namespace {

// "Copies:" with a spin box and "Pages:" with a field on a page of the
// palette's base colour inside a window of its window colour.
QImage form(int ratio, bool dark, const QString& family, int px) {
  QStyle* fusion = uiscreens::detail::fusion();
  QWidget window;
  window.setPalette(dark ? uiscreens::detail::darkPalette() : fusion->standardPalette());
  QFont font(family);
  font.setPixelSize(px);
  window.setFont(font);
  auto* outer = new QVBoxLayout(&window);
  outer->setContentsMargins(24, 24, 24, 24);
  auto* page = new QWidget(&window);
  page->setAutoFillBackground(true);
  page->setBackgroundRole(QPalette::Base);
  outer->addWidget(page);
  auto* layout = new QFormLayout(page);
  auto* copies = new QSpinBox(page);
  copies->setValue(1);
  layout->addRow(QStringLiteral("Copies:"), copies);
  layout->addRow(QStringLiteral("Pages:"), new QLineEdit(QStringLiteral("1-4"), page));
  return uiscreens::grab(window, ratio);
}

using textimages::darkerThan;

TEST(FormMarks, CopiesAndItsSpinBoxReadWholeAtRatioTwo) {
  for (const char* family : {"DejaVu Sans", "Noto Sans"})
    for (int px : {11, 13})
      for (bool dark : {false, true}) {
        SCOPED_TRACE(std::string(family) + " " + std::to_string(px) + (dark ? " dark" : ""));
        const QImage image = form(2, dark, QString::fromLatin1(family), px);
        const QString text = Recognizer::recognize(image, {QStringLiteral("en-US")}, true).text();
        EXPECT_TRUE(text.contains(QStringLiteral("Copies:"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Pages:"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("1-4"))) << text.toStdString();
      }
}

TEST(FormMarks, RoundLettersOnALighterPageAreNoRadioButtons) {
  // The cleaning's size of the text may come out small on a form of a few
  // words: letters as tall as it are then the size of a radio button. A
  // ring is one only when its inside is lighter than what lies around it.
  for (const char* family : {"DejaVu Sans", "Noto Sans", "Liberation Sans"})
    for (int px : {20, 22, 26, 32}) {
      SCOPED_TRACE(std::string(family) + " " + std::to_string(px));
      textimages::Style style;
      style.family = QString::fromLatin1(family);
      style.px = px;
      const QImage words = ocr::grey(textimages::lines({QStringLiteral("Copies: Colour Options")}, style).image);
      QImage g(words.width() + 160, words.height() + 80, QImage::Format_Grayscale8);
      g.fill(239);  // the window; the words stand on a white page
      for (int y = 0; y < words.height(); ++y)
        std::copy_n(words.constScanLine(y), words.width(), g.scanLine(y + 40) + 80);
      const int before = darkerThan(g, g.rect(), 160);
      for (double em : {0.6, 0.8, 1.0}) {
        QImage cleaned = g.copy();
        EXPECT_EQ(ocr::chrome::removeMarks(cleaned, 239, em * px, {}), 0) << "em " << em;
        EXPECT_EQ(darkerThan(cleaned, cleaned.rect(), 160), before) << "em " << em;
      }
    }
}

}  // namespace
