// The accurate reader end to end: real engines on images rendered here.
#include <gtest/gtest.h>

#include <QFile>
#include <QPainter>
#include <QTemporaryFile>
#include <QThreadPool>
#include <algorithm>
#include <cmath>
#include <unistd.h>

#include "recognition/engines/EnginePool.h"
#include "recognition/engines/HugePages.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"

namespace {

using textimages::Style;

const QStringList kEnglish{QStringLiteral("en-US")};

const QStringList kParagraph{QStringLiteral("The quick brown fox jumps over the lazy dog."),
                             QStringLiteral("Settings were saved at 10:45 on Friday."),
                             QStringLiteral("Click Continue to install the updates.")};

using textimages::rowTexts;

TEST(Read, EnglishParagraphRowsInOrderWithBoxesWhereDrawn) {
  Style style;
  style.px = 13;
  const auto drawn = textimages::lines(kParagraph, style);
  const Recognizer::Pass pass = Recognizer::read(drawn.image, kEnglish);
  ASSERT_EQ(rowTexts(pass.result), kParagraph);
  EXPECT_GT(pass.confidence, 0.8);
  EXPECT_FALSE(pass.result.table);
  for (size_t i = 0; i < size_t(kParagraph.size()); ++i) {
    ASSERT_EQ(pass.result.lines[i].size(), 1u);
    const PixelRect got = pass.result.lines[i][0].rect;
    const PixelRect want = textimages::bottomLeft(drawn.ink[i], drawn.image.height());
    SCOPED_TRACE(kParagraph[int(i)].toStdString());
    EXPECT_LE(std::max({std::abs(got.minX() - want.minX()), std::abs(got.maxX() - want.maxX()),
                        std::abs(got.minY() - want.minY()), std::abs(got.maxY() - want.maxY())}),
              3);
  }
}

TEST(Read, LightTextOnDarkReadsLikeDarkOnLight) {
  const auto drawn = textimages::lines(kParagraph, textimages::dark(11));
  const Recognizer::Pass pass = Recognizer::read(drawn.image, kEnglish);
  EXPECT_EQ(rowTexts(pass.result), kParagraph);
  EXPECT_GT(pass.confidence, 0.8);
}

TEST(Read, RowsPaddedInMemoryAreReadWithTheirStride) {
  // 333 pixels: neither grey (336-byte rows) nor 24-bit rows (1000 bytes) are packed.
  for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_Grayscale8}) {
    Style style;
    style.format = format;
    const auto drawn = textimages::lines({"Padded rows read fine"}, style, 333);
    const Recognizer::Pass pass = Recognizer::read(drawn.image, kEnglish);
    EXPECT_EQ(pass.result.text(), "Padded rows read fine") << "format " << int(format);
  }
}

TEST(Read, EnginesSideBySideKeepEveryLineAndAccent) {
  // Two idle engines: the image is read in two bands at once.
  const QStringList russian{QStringLiteral("Ваши изменения сохранены в 10:42."),
                            QStringLiteral("Чтобы поделиться документом, нажмите"),
                            QStringLiteral("адреса электронной почты людей,"),
                            QStringLiteral("которых хотите пригласить сегодня.")};
  const QStringList languages{QStringLiteral("ru-RU")};
  EnginePool& pool = EnginePool::shared();
  ASSERT_EQ(pool.fill(pool.keyFor(languages), 2), 2);
  Style style;
  style.px = 13;
  const Recognizer::Pass pass = Recognizer::read(textimages::lines(russian, style).image, languages);
  EXPECT_EQ(rowTexts(pass.result), russian);
  EXPECT_EQ(pool.counters().starts, 2);
  EXPECT_EQ(pool.counters().hits, 2);  // both were used
}

TEST(Read, AnEngineReadsSeveralBandsInTurnAndEveryLineKeepsItsPlace) {
  // 40 lines in calls of 16 lines of the drawn width (the prepared image is
  // wider): several bands, on one engine or shared by two.
  QStringList page;
  for (int i = 0; i < 40; ++i) page << QStringLiteral("Line %1 of the report was saved on Friday.").arg(i + 1);
  Style style;
  style.px = 13;
  const auto drawn = textimages::lines(page, style);
  EnginePool& pool = EnginePool::shared();
  for (const int engines : {1, 2}) {
    SCOPED_TRACE(engines);
    ocr::RunConfig config;
    config.maxEngines = engines;
    config.startEngines = false;
    config.maxLinePixelsPerCall = 16.0 * drawn.image.width();
    pool.fill(pool.keyFor(kEnglish), engines);
    const Recognizer::Pass pass = ocr::readPass(drawn.image, pool.keyFor(kEnglish), config, pool);
    ASSERT_EQ(rowTexts(pass.result), page);
    for (size_t i = 0; i < size_t(page.size()); ++i) {
      const PixelRect got = pass.result.lines[i][0].rect;
      const PixelRect want = textimages::bottomLeft(drawn.ink[i], drawn.image.height());
      EXPECT_LE(std::max(std::abs(got.minY() - want.minY()), std::abs(got.maxY() - want.maxY())), 3) << i;
    }
  }
}

TEST(Read, NothingToReadGivesTheEmptyPass) {
  QImage white(400, 120, QImage::Format_RGB32);
  white.fill(Qt::white);
  for (const QImage& image : {white, QImage()}) {
    const Recognizer::Pass pass = Recognizer::read(image, kEnglish);
    EXPECT_TRUE(pass.result.isEmpty());
    EXPECT_EQ(pass.confidence, 0);
  }
  // No language the engine knows: nothing is read either.
  EXPECT_TRUE(Recognizer::read(textimages::lines({"Some text"}).image, {QStringLiteral("xx-YY")}).result.isEmpty());
}

TEST(Read, TableOfFiveRowsAndThreeColumns) {
  const std::vector<QStringList> rows{{"Name", "Size", "Modified"},
                                      {"report.pdf", "2.4 MB", "Yesterday"},
                                      {"budget.xlsx", "86 KB", "Monday"},
                                      {"notes.txt", "3 KB", "Today"},
                                      {"photo.png", "512 KB", "March"}};
  Style style;
  style.px = 14;
  style.pitch = 1.8;
  const auto drawn = textimages::render(rows, style, 0, {16, 200, 340});
  const Recognizer::Pass pass = Recognizer::read(drawn.image, kEnglish);
  ASSERT_TRUE(pass.result.table) << pass.result.text().toStdString();
  ASSERT_EQ(pass.result.table->rows.size(), rows.size());
  for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(pass.result.table->rows[r], rows[r]);
  EXPECT_EQ(pass.result.lines.size(), rows.size());
}

TEST(Read, ChineseTableGapsBecomeSingleSpaces) {
  const std::vector<QStringList> rows{{"名称", "大小", "种类"}, {"报告", "很大", "文稿"}, {"预算", "很小", "表格"}};
  Style style;
  style.family = QStringLiteral("Noto Sans CJK SC");
  style.px = 16;
  style.pitch = 1.8;
  const auto drawn = textimages::render(rows, style, 0, {16, 160, 300});
  const Recognizer::Pass pass = Recognizer::read(drawn.image, {QStringLiteral("zh-Hans")});
  EXPECT_EQ(rowTexts(pass.result), (QStringList{"名称 大小 种类", "报告 很大 文稿", "预算 很小 表格"}));
  ASSERT_TRUE(pass.result.table);
  EXPECT_EQ(pass.result.table->rows, rows);
}

TEST(Read, GermanWithKoreanPreferenceTakesTheLatinReRead) {
  const QStringList german{QStringLiteral("Ihre Änderungen wurden gespeichert."),
                           QStringLiteral("Größere Dateien werden zuerst hochgeladen;"),
                           QStringLiteral("die Übertragung kann einige Minuten dauern.")};
  Style style;
  style.px = 16;
  const auto drawn = textimages::lines(german, style);
  std::vector<QStringList> passes;
  const Recognized result = Recognizer::recognize(drawn.image, {QStringLiteral("ko-KR")}, true,
                                                  [&](const QImage& img, const QStringList& languages) {
                                                    passes.push_back(languages);
                                                    return Recognizer::read(img, languages, false);
                                                  });
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[1], (QStringList{"de-DE", "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"}));
  EXPECT_EQ(rowTexts(result), german);
}

TEST(Read, ArabicLinesWithLatinWordsComeBackInReadingOrderWithoutMarks) {
  // Right-aligned as an Arabic window shows them; the Latin names stand where
  // they are read, not where a left-to-right sort would put them.
  const QStringList lines{QString::fromUtf8("يستخدم الفريق برنامج Excel لإعداد التقارير الشهرية"),
                          QString::fromUtf8("افتح ملف Report.pdf ثم اضغط على زر Print للطباعة")};
  QFont font(QStringLiteral("Noto Sans Arabic"));
  font.setPixelSize(16);
  QImage image(700, 110, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  for (int i = 0; i < lines.size(); ++i) p.drawText(QRect(10, 15 + 45 * i, 680, 36), Qt::AlignRight | Qt::AlignVCenter, lines[i]);
  p.end();
  const Recognized result = Recognizer::recognize(image, {QStringLiteral("ar-SA"), QStringLiteral("en-US")}, true);
  EXPECT_EQ(rowTexts(result), lines);
  const QString read = result.text();  // one string: begin and end of two temporaries never meet
  EXPECT_FALSE(std::any_of(read.begin(), read.end(), text::isBidiControl));
}

TEST(Read, TheEnginesStayQuietOnTheConsole) {
  QTemporaryFile capture;
  ASSERT_TRUE(capture.open());
  fflush(stderr);
  const int saved = dup(STDERR_FILENO);
  dup2(capture.handle(), STDERR_FILENO);
  // A first engine start, an engine that cannot start, and images without a
  // resolution, each of which the engine would comment on.
  const auto drawn = textimages::lines({"Quiet please"});
  const Recognizer::Pass pass = Recognizer::read(drawn.image, kEnglish);
  (void)EnginePool::shared().acquire(QStringLiteral("nosuchlanguage"));
  QImage tiny(3, 2, QImage::Format_RGB32);
  tiny.fill(Qt::black);
  (void)Recognizer::read(tiny, kEnglish);
  fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);
  EXPECT_EQ(pass.result.text(), "Quiet please");
  QFile written(capture.fileName());
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QByteArray said = written.readAll();
  // Our own log line about the missing language is the only thing allowed.
  for (const QByteArray& line : said.split('\n'))
    if (!line.isEmpty()) {
      EXPECT_TRUE(line.startsWith("tarvok.ocr:")) << line.toStdString();
    }
}

// A read from a file starts its first pass's engines as it opens, and where
// the first model writes another script, the English one that reads its file
// names' extensions again.
TEST(WarmUp, AFileReadStartsItsEnginesAndAnEnglishOneForAnotherScript) {
  EnginePool& pool = EnginePool::shared();
  const std::int64_t before = pool.counters().starts;
  Recognizer::startFirstPass({QStringLiteral("ko-KR")});
  QThreadPool::globalInstance()->waitForDone();
  EXPECT_EQ(pool.counters().starts - before, 3);
  EXPECT_GE(pool.idle(QStringLiteral("kor+eng")), 2);
  EXPECT_GE(pool.idle(QStringLiteral("eng")), 1);
  const std::int64_t latin = pool.counters().starts;
  Recognizer::startFirstPass({QStringLiteral("de-DE")});
  QThreadPool::globalInstance()->waitForDone();
  EXPECT_EQ(pool.counters().starts - latin, 2);
}

TEST(WarmUp, LeavesTheFirstPassEngineReady) {
  Recognizer::warmUp();
  const EnginePool::Counters warm = EnginePool::shared().counters();
  EXPECT_GE(warm.starts, 1);
  const QStringList first = Recognizer::firstPassLanguages(OCRLanguages::primary(std::nullopt));
  const Recognizer::Pass pass = Recognizer::read(textimages::lines(kParagraph).image, first);
  EXPECT_EQ(rowTexts(pass.result), kParagraph);
  const EnginePool::Counters after = EnginePool::shared().counters();
  EXPECT_EQ(after.starts, warm.starts);  // the first real read started no engine
  EXPECT_GT(after.hits, warm.hits);
}

// Once captures stop coming, only the warm engines of the first pass stay,
// the line finder's kept buffers go back, and the next read still reads
// every line, on the warm engines.
TEST(WarmUp, CoolingDownKeepsTheWarmEnginesAndTheNextReadStillReadsEveryLine) {
  EnginePool& pool = EnginePool::shared();
  const QString key = pool.keyFor(Recognizer::firstPassLanguages(kEnglish));
  QStringList page = kParagraph;
  page << QStringLiteral("Your order of 12 boxes leaves the warehouse on Monday.")
       << QStringLiteral("Open the folder and drag the file into the window.")
       << QStringLiteral("The meeting moved to room 4B at half past two.");
  // Wide enough for the line finder's buffers to be mappings of their own.
  const QImage image = textimages::lines(page, Style{}, 1600).image;
  pool.fill(key, 5);
  ASSERT_TRUE(pool.add(QStringLiteral("rus")));
  ASSERT_EQ(rowTexts(Recognizer::read(image, kEnglish).result), page);
  QThreadPool::globalInstance()->waitForDone();  // the line finder's buffers are let go
  if (ocr::detectorRoad()) {
    EXPECT_GT(ocr::keptFreedBytes(), 0u);
  }

  Recognizer::coolDown(kEnglish);
  EXPECT_EQ(pool.idle(key), Recognizer::kWarmEngines);
  EXPECT_EQ(pool.idleTotal(), Recognizer::kWarmEngines);
  EXPECT_EQ(ocr::keptFreedBytes(), 0u);

  const EnginePool::Counters before = pool.counters();
  EXPECT_EQ(rowTexts(Recognizer::read(image, kEnglish).result), page);
  EXPECT_GT(pool.counters().hits, before.hits);
}

}  // namespace
