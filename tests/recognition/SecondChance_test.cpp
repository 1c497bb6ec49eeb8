// The second chance on the detector's road: its candidates previewed on a
// sample of the lines, the one that suits the page read whole.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "recognition/engines/EnginePool.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"

namespace {

TEST(Sample, TheLongestLinesUntilTheyHoldEnoughInTheirFirstOrder) {
  const ocr::FoundLines lines{{QRect(0, 0, 100, 20),     // 5 ems
                               QRect(0, 30, 400, 20),    // 20
                               QRect(0, 60, 40, 20),     // 2
                               QRect(0, 90, 300, 20),    // 15
                               QRect(0, 120, 300, 0)},   // no height: nothing
                              QImage(10, 10, QImage::Format_Grayscale8), {}};
  EXPECT_EQ(ocr::sample(lines, 20).boxes, (std::vector<QRect>{QRect(0, 30, 400, 20)}));
  EXPECT_EQ(ocr::sample(lines, 30).boxes, (std::vector<QRect>{QRect(0, 30, 400, 20), QRect(0, 90, 300, 20)}));
  EXPECT_EQ(ocr::sample(lines, 1000).boxes.size(), 5u);
  // A line longer than the sample wants is cut to its first ems.
  EXPECT_EQ(ocr::sample(lines, 8).boxes, (std::vector<QRect>{QRect(0, 30, 160, 20)}));
  EXPECT_EQ(ocr::sample(lines, 30).page.size(), lines.page.size());
  EXPECT_TRUE(ocr::sample(ocr::FoundLines{}, 30).boxes.empty());
}

class SecondChance : public DetectorRoadTest {};

// The words of `truth` that the read holds; the engine's own misreadings (a
// first word read as Latin letters, a capital for a small letter) are not
// what is tested here.
int wordsFound(const QStringList& truth, const QString& read) {
  const QStringList got = read.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  int found = 0;
  for (const QString& line : truth)
    for (const QString& word : line.split(QLatin1Char(' ')))
      found += got.contains(word) ? 1 : 0;
  return found;
}

// A page in a script the interface does not write comes back in its own
// script, whole, and the engines of the candidates that lost are let go.
// The previews read on engines of their own: under limits that the seven
// previews' engines would overrun, none of the first pass's is evicted.
TEST_F(SecondChance, AKoreanAndARussianPageReadWithAnEnglishInterface) {
  EnginePool& pool = EnginePool::shared();
  pool.clear();  // what earlier tests in this process left idle
  pool.setLimits({7, 10});
  const auto evicted = pool.counters().evictions;
  const QStringList korean{QString::fromUtf8("서울은 한국의 수도이고 부산은 큰 항구 도시입니다"),
                           QString::fromUtf8("회의는 다음 주 화요일 오후 세 시에 시작합니다"),
                           QString::fromUtf8("보고서를 금요일까지 보내 주시기 바랍니다")};
  const QStringList russian{QString::fromUtf8("Настройки сохранены в папке пользователя"),
                            QString::fromUtf8("Нажмите кнопку, чтобы продолжить установку"),
                            QString::fromUtf8("Обновления будут загружены автоматически")};
  textimages::Style style;
  style.px = 18;
  style.family = QStringLiteral("Noto Sans CJK KR");
  const Recognized ko = Recognizer::recognize(textimages::lines(korean, style).image, {"en-US"}, true);
  EXPECT_EQ(ko.lines.size(), 3u);
  EXPECT_GE(wordsFound(korean, ko.text()), 19);  // of 20
  EXPECT_EQ(pool.counters().evictions, evicted);
  EXPECT_GE(pool.idle(QStringLiteral("eng")), 1);
  style.family = QStringLiteral("Noto Sans");
  const Recognized ru = Recognizer::recognize(textimages::lines(russian, style).image, {"en-US"}, true);
  EXPECT_EQ(ru.lines.size(), 3u);
  EXPECT_GE(wordsFound(russian, ru.text()), 13);  // of 14
  for (const char* lost : {"jpn+eng", "chi_sim+eng", "chi_tra+eng", "tha+eng", "ara+eng"})
    EXPECT_EQ(pool.drop(QString::fromLatin1(lost)), 0) << lost;
  pool.setLimits({});
}

// A Russian file list that English models read as Latin junk ("Uma Pa3mep
// Tun") looks like Portuguese; it still comes back in Cyrillic.
TEST_F(SecondChance, ARussianTableThatReadsLikeALatinLanguage) {
  const QStringList rows{QString::fromUtf8("Имя        Размер      Тип                   Изменён"),
                         QString::fromUtf8("отчёт.pdf   2,4 МБ      Документ PDF     Вчера"),
                         QString::fromUtf8("бюджет.xlsx  86 КБ      Таблица             12 марта"),
                         QString::fromUtf8("заметки.txt   3 КБ       Текст                 Сегодня")};
  textimages::Style style;
  style.px = 16;
  const Recognized ru = Recognizer::recognize(textimages::lines(rows, style).image, {"en-US"}, true);
  EXPECT_GE(wordsFound(rows, ru.text()), 12) << qPrintable(ru.text());  // of 17
}

// A capture without a line of text (a blank area, a picture, a code alone)
// has nothing for any language to read: no engine starts for it.
TEST_F(SecondChance, NoLineFoundReadsNothingInAnyLanguage) {
  QImage blank(400, 200, QImage::Format_RGB32);
  blank.fill(Qt::white);
  EnginePool& pool = EnginePool::shared();
  const auto before = pool.counters();
  EXPECT_TRUE(Recognizer::recognize(blank, {"en-US"}, true).text().isEmpty());
  EXPECT_EQ(pool.counters().starts, before.starts);
  EXPECT_EQ(pool.counters().hits, before.hits);
}

}  // namespace
