// Reading the detector's lines one at a time: real widgets in the Fusion
// style, the real model and real engines.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QFormLayout>
#include <QFrame>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include "recognition/lines/LineRead.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"
#include "tests/recognition/UiScreenScore.h"
#include "tests/recognition/UiScreens.h"

namespace {

const QStringList kEnglish{QStringLiteral("en-US")};

class LineRead : public DetectorRoadTest {};

ocr::EngineLine line(const QString& text, double confidence, QRect box) {
  return {text, confidence, box, {}};
}

TEST(LineChrome, ShapesAndMarksAreNotTextButNumbersAndWellReadWordsAre) {
  const QRect square(0, 0, 18, 16);
  const QRect wide(0, 0, 60, 16);
  // Nothing but marks, whatever the box.
  EXPECT_TRUE(ocr::isChrome(line(QStringLiteral("—<—<"), 0.9, wide)));
  EXPECT_TRUE(ocr::isChrome(line(QStringLiteral(" | "), 0.99, square)));
  // Round shapes alone in a square: radio buttons, icons.
  for (const char* round : {"O", "0", "©", "〇"})
    EXPECT_TRUE(ocr::isChrome(line(QString::fromUtf8(round), 0.85, square))) << round;
  // Short letters in a square must be read very well.
  EXPECT_TRUE(ocr::isChrome(line(QStringLiteral("Vv"), 0.8, square)));
  EXPECT_TRUE(ocr::isChrome(line(QStringLiteral("P"), 0.79, square)));
  EXPECT_FALSE(ocr::isChrome(line(QStringLiteral("OK"), 0.96, square)));
  // Numbers read fairly well stay: a spin box's value, a paper size.
  EXPECT_FALSE(ocr::isChrome(line(QStringLiteral("1"), 0.6, square)));
  EXPECT_FALSE(ocr::isChrome(line(QStringLiteral("A4"), 0.87, square)));
  EXPECT_TRUE(ocr::isChrome(line(QStringLiteral("1"), 0.3, square)));
  // Two ideographs or syllables are a word in a square box; one alone, or
  // two Latin letters, must still be read very well.
  for (const char* word : {"一般", "名称", "어제", "はい"})
    EXPECT_FALSE(ocr::isChrome(line(QString::fromUtf8(word), 0.87, square))) << word;
  EXPECT_TRUE(ocr::isChrome(line(QString::fromUtf8("一般"), 0.4, square)));
  EXPECT_TRUE(ocr::isChrome(line(QString::fromUtf8("本"), 0.87, square)));
  EXPECT_TRUE(ocr::isChrome(line(QStringLiteral("Ww"), 0.87, square)));
  // A title bar's buttons, whatever the box; not a number, a dash or a word.
  for (const char* buttons : {"- O X", "=- O", "- Ox", "O00", "OOO"})
    EXPECT_TRUE(ocr::isChrome(line(QString::fromUtf8(buttons), 0.88, wide))) << buttons;
  for (const char* kept : {"000", "OX", "ox", "- 0x1F"})
    EXPECT_FALSE(ocr::isChrome(line(QString::fromUtf8(kept), 0.88, wide))) << kept;
  // Outside a square the shape says nothing.
  EXPECT_FALSE(ocr::isChrome(line(QStringLiteral("ab"), 0.4, wide)));
  EXPECT_FALSE(ocr::isChrome(line(QStringLiteral("O"), 0.5, wide)));
}

TEST_F(LineRead, WordsComeBackInTheSourcesPixels) {
  textimages::Style style;
  style.px = 13;
  const auto drawn = textimages::lines({QStringLiteral("Settings were saved at 10:45"), QStringLiteral("on Friday.")}, style);
  const auto found = ocr::findLines(drawn.image);
  ASSERT_TRUE(found);
  const ocr::LinesRead read = ocr::readLines(found->page, found->boxes, QStringLiteral("eng"));
  ASSERT_TRUE(read.ran);
  ASSERT_EQ(read.lines.size(), 2u);
  EXPECT_EQ(read.lines[0].text, QStringLiteral("Settings were saved at 10:45"));
  EXPECT_EQ(read.lines[0].words.size(), 5u);
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_TRUE(read.lines[i].box);
    const QRect got = *read.lines[i].box;
    const QRect want = drawn.ink[i];
    EXPECT_LE(std::max({std::abs(got.left() - want.left()), std::abs(got.right() - want.right()),
                        std::abs(got.top() - want.top()), std::abs(got.bottom() - want.bottom())}),
              3)
        << i;
  }
  // No engine for the key: nothing ran.
  EXPECT_FALSE(ocr::readLines(found->page, found->boxes, QString()).ran);
}

// Outside Latin, no box is scaled less than the page's typical line: a
// heading twice the body's size is read at the body's scale, and its words
// still come back on its ink.
TEST_F(LineRead, HeadingAboveSmallerLinesOfACyrillicPageIsReadInPlace) {
  textimages::Style big;
  big.px = 26;
  textimages::Style small;
  small.px = 13;
  const auto heading = textimages::lines({QStringLiteral("Настройки печати")}, big, 420);
  const auto body = textimages::lines({QStringLiteral("Принтер по умолчанию"), QStringLiteral("Двусторонняя печать"),
                                       QStringLiteral("Число копий и страниц")},
                                      small, 420);
  QImage page(420, heading.image.height() + body.image.height(), QImage::Format_RGB32);
  QPainter p(&page);
  p.drawImage(0, 0, heading.image);
  p.drawImage(0, heading.image.height(), body.image);
  p.end();
  const auto found = ocr::findLines(page);
  ASSERT_TRUE(found);
  const ocr::LinesRead read = ocr::readLines(found->page, found->boxes, QStringLiteral("rus"));
  QStringList texts;
  for (const ocr::EngineLine& line : read.lines) texts << line.text;
  ASSERT_EQ(texts.size(), 4) << texts.join(QLatin1Char('|')).toStdString();
  EXPECT_EQ(texts[0], QStringLiteral("Настройки печати"));
  EXPECT_EQ(texts[1], QStringLiteral("Принтер по умолчанию"));
  const QRect ink = heading.ink[0];
  ASSERT_EQ(read.lines[0].words.size(), 2u);
  for (const ocr::EngineWord& word : read.lines[0].words) {
    ASSERT_TRUE(word.box);
    EXPECT_TRUE(ink.adjusted(-3, -3, 3, 3).contains(*word.box)) << word.text.toStdString();
  }
  EXPECT_LE(std::abs(read.lines[0].words[0].box->left() - ink.left()), 3);
  EXPECT_LE(std::abs(read.lines[0].words[1].box->right() - ink.right()), 3);
}

// A widget shown in the Fusion style and grabbed at `ratio`, in the light or
// dark palette.
QImage shot(QWidget& w, int ratio, bool dark) {
  QStyle* fusion = uiscreens::detail::fusion();
  w.setPalette(dark ? uiscreens::detail::darkPalette() : fusion->standardPalette());
  QFont font(QStringLiteral("Noto Sans"));
  font.setPixelSize(13);
  w.setFont(font);
  w.setAttribute(Qt::WA_DontShowOnScreen);
  w.show();
  w.adjustSize();
  QApplication::processEvents();
  QImage image(w.size() * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(w.palette().color(QPalette::Window));
  w.render(&image);
  image.setDevicePixelRatio(1);
  return image;
}

TEST_F(LineRead, WidgetsWithoutLabelsGiveNoToken) {
  for (const bool dark : {false, true})
    for (const int ratio : {1, 2}) {
      SCOPED_TRACE(std::to_string(ratio) + (dark ? " dark" : " light"));
      QWidget w;
      auto* grid = new QGridLayout(&w);
      auto* ticked = new QCheckBox(&w);
      ticked->setChecked(true);
      grid->addWidget(ticked, 0, 0);
      grid->addWidget(new QCheckBox(&w), 0, 1);
      auto* chosen = new QRadioButton(&w);
      chosen->setChecked(true);
      grid->addWidget(chosen, 0, 2);
      grid->addWidget(new QRadioButton(&w), 0, 3);
      int column = 0;
      for (Qt::ArrowType arrow : {Qt::UpArrow, Qt::DownArrow, Qt::LeftArrow, Qt::RightArrow}) {
        auto* button = new QToolButton(&w);
        button->setArrowType(arrow);
        grid->addWidget(button, 1, column++);
      }
      for (QStyle::StandardPixmap icon : {QStyle::SP_DirOpenIcon, QStyle::SP_TrashIcon, QStyle::SP_BrowserReload,
                                          QStyle::SP_DialogCloseButton}) {
        auto* button = new QToolButton(&w);
        button->setIcon(w.style()->standardIcon(icon));
        grid->addWidget(button, 2, column++ % 4);
      }
      auto* frame = new QFrame(&w);
      frame->setFrameShape(QFrame::Box);
      frame->setMinimumSize(120, 40);
      grid->addWidget(frame, 3, 0, 1, 4);
      const QImage image = shot(w, ratio, dark);
      const Recognized r = Recognizer::recognize(image, kEnglish, false);
      EXPECT_EQ(r.text(), QString());
    }
}

TEST_F(LineRead, LoneDigitOfASpinBoxIsRead) {
  for (const bool dark : {false, true})
    for (const int ratio : {1, 2}) {
      SCOPED_TRACE(std::to_string(ratio) + (dark ? " dark" : " light"));
      QWidget w;
      auto* form = new QFormLayout(&w);
      auto* spin = new QSpinBox(&w);
      spin->setValue(1);
      spin->setMinimumWidth(120);
      form->addRow(QStringLiteral("Copies:"), spin);
      const Recognized r = Recognizer::recognize(shot(w, ratio, dark), kEnglish, false);
      const QStringList tokens = r.text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
      ASSERT_FALSE(tokens.isEmpty());
      EXPECT_EQ(tokens.back(), QStringLiteral("1")) << r.text().toStdString();
      EXPECT_EQ(tokens.count(QStringLiteral("1")), 1);
    }
}

TEST_F(LineRead, SortArrowsAndGripsOfAFileDialogGiveNoToken) {
  // A file list's sort arrow and a scroll bar's grip stand far lower than
  // the names beside them (7 to 9 pixels among lines of 20 and more); read,
  // they were "Ww".
  for (const char* id : {"en", "de", "ru"}) {
    SCOPED_TRACE(id);
    const uiscreens::Screen s = uiscreens::render(uiscreens::language(id), uiscreens::Kind::Files, 1, true);
    const uiscreens::Score score =
        uiscreens::score(s.expected, Recognizer::recognize(s.image, s.language->prefer, true).text(), false);
    EXPECT_TRUE(score.junk.isEmpty()) << score.junk.join(QStringLiteral(" · ")).toStdString();
  }
}

// Every widget that shows text has a box across it: at its height, over at
// least half as much of it as its text is wide (a label and its field, or
// two radio buttons' labels, may be one line of text).
TEST_F(LineRead, DetectorFindsEveryLabelButtonAndFieldOfADialog) {
  for (const char* id : {"en", "de", "zh"})
    for (uiscreens::Kind kind : {uiscreens::Kind::Print, uiscreens::Kind::Settings, uiscreens::Kind::Files})
      for (const auto& [ratio, dark] : {std::pair{1, false}, std::pair{1, true}, std::pair{2, false}}) {
        uiscreens::Screen s;
        s.ratio = ratio;
        const std::unique_ptr<QWidget> dialog = uiscreens::build(uiscreens::language(id), kind, dark, s);
        dialog->setAttribute(Qt::WA_DontShowOnScreen);
        dialog->show();
        dialog->adjustSize();
        QApplication::processEvents();
        QImage image(dialog->size() * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(dialog->palette().color(QPalette::Window));
        dialog->render(&image);
        image.setDevicePixelRatio(1);
        const auto boxes = ocr::TextDetector::shared().detect(image);
        ASSERT_TRUE(boxes);
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
          QString text;
          if (auto* label = qobject_cast<QLabel*>(w)) text = label->text();
          else if (auto* button = qobject_cast<QAbstractButton*>(w)) text = button->text();
          else if (auto* edit = qobject_cast<QLineEdit*>(w)) text = edit->text();
          else if (auto* combo = qobject_cast<QComboBox*>(w)) text = combo->currentText();
          if (text.isEmpty() || !w->isVisibleTo(dialog.get())) continue;
          const QRect area(w->mapTo(dialog.get(), QPoint(0, 0)) * ratio, w->size() * ratio);
          const int textWidth = w->fontMetrics().horizontalAdvance(text) * ratio;
          const bool found = std::any_of(boxes->begin(), boxes->end(), [&](const QRect& b) {
            const QRect common = area & b;
            return b.center().y() >= area.top() && b.center().y() <= area.bottom() &&
                   common.width() >= 0.5 * std::min(area.width(), textWidth);
          });
          EXPECT_TRUE(found) << id << " " << uiscreens::kindName(kind) << "@" << ratio << (dark ? " dark: " : ": ")
                             << text.toStdString();
        }
      }
}

// Two-character words of Chinese and Japanese dialogs (a tab, a theme, a
// column header) stand in square boxes and come back at less than 0.9: they
// must reach the answer.
TEST_F(LineRead, TwoCharacterWordsOfChineseAndJapaneseDialogsAreKept) {
  struct Case {
    const char* id;
    uiscreens::Kind kind;
    int ratio;
    bool dark;
    const char* word;
  };
  for (const Case& c : {Case{"ja", uiscreens::Kind::Settings, 2, false, "一般"},
                        Case{"ja", uiscreens::Kind::Settings, 1, true, "一般"},
                        Case{"zh", uiscreens::Kind::Settings, 1, true, "浅色"},
                        Case{"zh", uiscreens::Kind::Files, 1, true, "名称"}}) {
    const uiscreens::Screen s = uiscreens::render(uiscreens::language(c.id), c.kind, c.ratio, c.dark);
    const QString text = Recognizer::recognize(s.image, s.language->prefer, true).text();
    EXPECT_TRUE(QString(text).remove(QLatin1Char(' ')).contains(QString::fromUtf8(c.word)))
        << c.id << " " << uiscreens::kindName(c.kind) << "@" << c.ratio << (c.dark ? " dark" : "") << ": "
        << text.toStdString();
  }
}

TEST_F(LineRead, EveryPassReadsTheBoxesOfOneDetection) {
  // German read by a Korean user: a first pass and the Latin re-read.
  textimages::Style style;
  style.px = 16;
  const auto drawn = textimages::lines({QStringLiteral("Ihre Änderungen wurden gespeichert."),
                                        QStringLiteral("Größere Dateien werden zuerst hochgeladen.")},
                                       style);
  const long long before = ocr::TextDetector::shared().detections();
  const Recognized r = Recognizer::recognize(drawn.image, {QStringLiteral("ko-KR")}, true);
  EXPECT_EQ(ocr::TextDetector::shared().detections() - before, 1);
  EXPECT_EQ(textimages::rowTexts(r), (QStringList{"Ihre Änderungen wurden gespeichert.",
                                                   "Größere Dateien werden zuerst hochgeladen."}));
}

// A table as an Arabic window lays it out: columns right-aligned from the
// right, a rule under the header.
QImage arabicTable(const std::vector<QStringList>& rows, int px, bool dark) {
  QFont font(QStringLiteral("Noto Sans Arabic"));
  font.setPixelSize(px);
  const QFontMetrics fm(font);
  std::vector<int> widths(rows.front().size());
  for (const QStringList& row : rows)
    for (qsizetype c = 0; c < row.size(); ++c) widths[size_t(c)] = std::max(widths[size_t(c)], fm.horizontalAdvance(row[c]));
  const int margin = 12, gap = 3 * px;
  const double pitch = fm.lineSpacing() * 1.9;
  int width = 2 * margin + gap * (int(widths.size()) - 1);
  for (int w : widths) width += w;
  QImage image(width, int(pitch * double(rows.size())) + 2 * margin, QImage::Format_RGB32);
  image.fill(dark ? QColor(32, 33, 36) : Qt::white);
  const QColor ink = dark ? QColor(232, 234, 237) : QColor(32, 33, 36);
  QPainter p(&image);
  p.setFont(font);
  p.setPen(ink);
  for (size_t r = 0; r < rows.size(); ++r) {
    const int top = margin + int(pitch * double(r));
    int x = width - margin;
    for (qsizetype c = 0; c < rows[r].size(); ++c) {
      const int w = widths[size_t(c)];
      p.drawText(QRect(x - w, top, w, fm.height()), Qt::AlignRight | Qt::AlignTop, rows[r][c]);
      x -= w + gap;
    }
    if (r == 0) {
      p.setPen(dark ? QColor(80, 82, 86) : QColor(218, 220, 224));
      const int y = top + fm.height() + int((pitch - fm.height()) / 2);
      p.drawLine(margin, y, width - margin, y);
      p.setPen(ink);
    }
  }
  return image;
}

TEST_F(LineRead, CellsOfAnArabicTableTheSingleLineModeFindsNoLineInAreRead) {
  // Words alone in their cells that the engine's single-line mode finds no
  // line in ("ملاحظات", "مستند" at 16 px).
  const std::vector<QStringList> rows{
      {QString::fromUtf8("الاسم"), QString::fromUtf8("الحجم"), QString::fromUtf8("النوع"), QString::fromUtf8("التاريخ")},
      {QString::fromUtf8("تقرير"), QString::fromUtf8("كبير"), QString::fromUtf8("مستند"), QString::fromUtf8("أمس")},
      {QString::fromUtf8("ميزانية"), QString::fromUtf8("صغير"), QString::fromUtf8("جدول"), QString::fromUtf8("اليوم")},
      {QString::fromUtf8("ملاحظات"), QString::fromUtf8("صغير"), QString::fromUtf8("نص"), QString::fromUtf8("غدا")}};
  for (const bool dark : {false, true}) {
    const QImage image = arabicTable(rows, 16, dark);
    const auto found = ocr::findLines(image);
    ASSERT_TRUE(found);
    const std::vector<ocr::EngineLine> lines = ocr::readLines(found->page, found->boxes, QStringLiteral("ara+eng")).lines;
    QStringList words;
    for (const ocr::EngineLine& l : lines) words << l.text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // A letter misread here and there is the engine's; a cell lost is ours.
    // ("مستند" is still lost at this size: read alone, the Latin model wins it.)
    for (const QStringList& row : rows)
      for (const QString& cell : row) {
        if (cell == QString::fromUtf8("مستند")) continue;
        EXPECT_TRUE(std::any_of(words.begin(), words.end(), [&](const QString& w) {
          return uiscreens::detail::distance(w, cell) <= 1;
        })) << (dark ? "dark: " : "light: ") << cell.toStdString() << " in " << words.join(QLatin1Char(' ')).toStdString();
      }
  }
}

// A few long lines are as much work as a dialog of many boxes: they are read
// on as many engines as there are lines (within the cores), not on the two
// their count alone would give, and each line still reads whole.
TEST_F(LineRead, AFewLongLinesAreReadOnAnEngineEach) {
  QStringList texts;
  for (int i = 0; i < 5; ++i)
    texts << QStringLiteral("Line %1 of a page whose lines run long enough to keep an engine busy for a while, "
                            "as the lines of a document or a terminal filling a wide screen do").arg(i + 1);
  textimages::Style style;
  style.px = 13;
  const auto drawn = textimages::lines(texts, style, 1500);
  const auto found = ocr::findLines(drawn.image);
  ASSERT_TRUE(found);
  ASSERT_EQ(found->boxes.size(), size_t(texts.size()));
  double length = 0;
  for (const QRect& box : found->boxes) length += ocr::lengthInHeights(box);
  // Enough for an engine a line, though five boxes alone want one.
  ASSERT_GT(length, 4 * ocr::LineReadConfig{}.heightsPerEngine);

  EnginePool pool(OCRLanguages::tessdataDir());
  const ocr::LinesRead read = ocr::readLines(found->page, found->boxes, QStringLiteral("eng"), {}, pool);
  ASSERT_TRUE(read.ran);
  ASSERT_EQ(read.lines.size(), size_t(texts.size()));
  for (qsizetype i = 0; i < texts.size(); ++i) EXPECT_EQ(read.lines[size_t(i)].text, texts[i]);
  // Every engine the read used is idle in the pool afterwards.
  EXPECT_EQ(pool.idle(QStringLiteral("eng")), std::min(int(texts.size()), Recognizer::defaultParallel()));
}

// Starting an engine costs more than two take to read a dialog's short
// boxes: a dialog is read on the engines the pool has, and none is started.
TEST_F(LineRead, ADialogsShortBoxesAreReadOnTheEnginesThereAre) {
  QStringList texts;
  for (int i = 0; i < 18; ++i) texts << QStringLiteral("Option %1").arg(i + 1);
  const auto drawn = textimages::lines(texts);
  const auto found = ocr::findLines(drawn.image);
  ASSERT_TRUE(found);
  ASSERT_EQ(found->boxes.size(), size_t(texts.size()));

  EnginePool pool(OCRLanguages::tessdataDir());
  const QString key = QStringLiteral("eng");
  ASSERT_EQ(pool.fill(key, 2), 2);
  const ocr::LinesRead read = ocr::readLines(found->page, found->boxes, key, {}, pool);
  ASSERT_TRUE(read.ran);
  ASSERT_EQ(read.lines.size(), size_t(texts.size()));
  for (qsizetype i = 0; i < texts.size(); ++i) EXPECT_EQ(read.lines[size_t(i)].text, texts[i]);
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.idle(key), 2);
}

}  // namespace

// Short labels centred on push buttons (a keypad, a dialog's "OK") are
// text, whatever signs they hold, and the arrow of a tool button beside
// them is not. The engine misreads a lone sign now and then ("C" as "Cc"):
// three in four must come out, and nothing else.
TEST_F(LineRead, ShortLabelsOnButtonsAreReadAndAnArrowBesideThemIsNot) {
  struct Case {
    int ratio;
    bool dark;
    QStringList labels;  // a grid of push buttons, four to a row
  };
  const QStringList keypad{QStringLiteral("C"), QStringLiteral("("), QStringLiteral(")"), QStringLiteral("<-"),
                           QStringLiteral("*"), QStringLiteral("%"), QStringLiteral("/"), QStringLiteral("+/-")};
  const QStringList dialog{QStringLiteral("7"), QStringLiteral("OK"), QStringLiteral("1"), QStringLiteral("9"),
                           QStringLiteral("0"), QStringLiteral("=")};
  for (const Case& c : {Case{1, false, keypad}, Case{1, true, keypad}, Case{2, false, keypad}, Case{2, true, keypad},
                        Case{1, false, dialog}, Case{1, true, dialog}, Case{2, false, dialog}}) {
    SCOPED_TRACE(std::to_string(c.ratio) + (c.dark ? " dark " : " light ") + c.labels.join(QLatin1Char(' ')).toStdString());
    QWidget w;
    auto* grid = new QGridLayout(&w);
    for (int i = 0; i < c.labels.size(); ++i) {
      auto* key = new QPushButton(c.labels[i], &w);
      key->setFixedSize(48, 30);
      grid->addWidget(key, i / 4, i % 4);
    }
    auto* arrow = new QToolButton(&w);
    arrow->setArrowType(Qt::DownArrow);
    grid->addWidget(arrow, int(c.labels.size() + 3) / 4, 0);
    const Recognized r = Recognizer::recognize(shot(w, c.ratio, c.dark), kEnglish, false);
    const QStringList tokens = r.text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    const auto found = std::count_if(c.labels.begin(), c.labels.end(), [&](const QString& l) { return tokens.contains(l); });
    EXPECT_GE(4 * found, 3 * c.labels.size()) << r.text().toStdString();
    for (const QString& t : tokens) EXPECT_TRUE(c.labels.contains(t)) << t.toStdString();
    QStringList once = tokens;
    EXPECT_EQ(once.removeDuplicates(), 0) << r.text().toStdString();
  }
}
