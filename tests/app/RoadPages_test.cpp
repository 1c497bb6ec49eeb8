// The recognition road with this build's engines on pages rendered here: the
// fast path reads Korean, Japanese and Russian with the user's languages.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <future>
#include <map>

#include "app/RecognitionRoad.h"
#include "core/Settings.h"
#include "platform/PrefStore.h"
#include "tests/recognition/CodeImages.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"
#include "tests/support/TestEnv.h"

namespace {

struct Page {
  QString code;    // the recognition language
  QString system;  // a system language tag that chooses it
  QString family;
  int px;
  QStringList lines;
};

const std::vector<Page>& pages() {
  static const std::vector<Page> all{
      {"ko-KR", "ko-KR", "Noto Sans CJK KR", 16,
       {"오늘 회의는 오후 세 시에 시작합니다.", "자료는 공유 폴더에 올려 두었습니다.",
        "질문이 있으면 언제든지 연락 주세요."}},
      {"ja-JP", "ja-JP", "Noto Sans CJK JP", 18,
       {"会議は午後三時に始まります。", "資料は共有フォルダにあります。", "質問があればご連絡ください。"}},
      {"ru-RU", "ru-RU", "Noto Sans", 16,
       {"Совещание начнётся в три часа дня.", "Материалы лежат в общей папке.", "Если есть вопросы, напишите нам."}},
  };
  return all;
}

QImage render(const Page& page) {
  textimages::Style style;
  style.family = page.family;
  style.px = page.px;
  return textimages::lines(page.lines, style).image;
}

// The road runs off the GUI thread, as a capture's does.
Recognized readOnWorker(const road::Request& request) {
  return std::async(std::launch::async, [&] { return road::run(request); }).get();
}

bool fromTheFastPath(const Recognized& r) {
  return !r.lines.empty() && std::all_of(r.lines.begin(), r.lines.end(), [](const auto& row) {
    return row.size() == 1 && row.front().rect.isZero();
  });
}

QString withoutSpaces(QString s) { return s.remove(QLatin1Char(' ')); }

struct RoadPages : ::testing::Test {
  PrefStore store{testenv::scratch() + QStringLiteral("/pages.conf")};
  Settings settings{store};
  void SetUp() override {
    settings.setLanguage(Lang(QStringLiteral("en")));  // an English interface
    settings.setFastMode(true);
  }
  void TearDown() override { Lang::setPreferredLanguagesSource({}); }
};

}  // namespace

TEST_F(RoadPages, FastModeReadsTheLanguageChosenByHand) {
  Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; });  // an English system
  settings.setOcrManual(true);
  for (const Page& page : pages()) {
    SCOPED_TRACE(page.code.toStdString());
    settings.setOcrLanguages({page.code});
    const Recognized r = readOnWorker(road::requestFor(render(page), settings));
    EXPECT_TRUE(fromTheFastPath(r)) << "the fast path read junk or nothing";
    EXPECT_EQ(textimages::rowTexts(r), page.lines);
  }
}

TEST_F(RoadPages, FastModeReadsTheAutomaticChoiceOfTheSystemLanguages) {
  settings.setOcrManual(false);
  for (const Page& page : pages()) {
    SCOPED_TRACE(page.code.toStdString());
    const QString system = page.system;
    Lang::setPreferredLanguagesSource([system] { return QStringList{system}; });
    const road::Request request = road::requestFor(render(page), settings);
    ASSERT_EQ(request.languages, (QStringList{"en-US", page.code}));
    const Recognized r = readOnWorker(request);
    EXPECT_TRUE(fromTheFastPath(r));
    // English ahead of Korean or Japanese in one engine sets a space between
    // some syllables (the accurate road's first pass reads them the same
    // way): the letters are what this compares for them.
    if (page.code == QLatin1String("ru-RU")) {
      EXPECT_EQ(textimages::rowTexts(r), page.lines);
    } else {
      EXPECT_EQ(withoutSpaces(r.text()), withoutSpaces(page.lines.join(QLatin1Char('\n'))));
    }
  }
}

// A code's modules are no text: the fast path reads the caption beside a QR
// code without the junk it made of them (lines of it, and letters glued in
// front of the caption).
TEST_F(RoadPages, FastModeLeavesACodesAreaOut) {
  QImage page(900, 300, QImage::Format_RGB32);
  page.fill(Qt::white);
  codeimages::draw(page, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://example.org/pay"), 40, 40, 6);
  const QStringList caption{"Scan the code to pay the invoice", "or open the link in your browser"};
  {
    QPainter p(&page);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    p.setFont(font);
    p.setPen(QColor(30, 30, 30));
    p.drawText(300, 120, caption[0]);
    p.drawText(300, 150, caption[1]);
  }
  const Recognized r = readOnWorker(road::requestFor(page, settings));
  ASSERT_EQ(r.codes.size(), 1u);
  EXPECT_EQ(textimages::rowTexts(r), QStringList{"https://example.org/pay"} + caption);
}

// The fast road reads a page full of small text as the accurate one does: no
// line dropped, the same words. Words are compared as multisets, the reads'
// misreadings allowed for (one word in a hundred).
TEST_F(RoadPages, FastAndAccurateReadTheSameWordsOnADensePage) {
  Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; });
  settings.setOcrManual(false);
  const QStringList vocabulary =
      QStringLiteral("the quick brown fox jumps over lazy dog while seven wizards quietly judge boxing matches near "
                     "forty old houses where people read newspapers and drink coffee every morning before work")
          .split(QLatin1Char(' '));
  // `rows` lines of `perRow` words in each of `columns` columns.
  auto words = [&](int rows, int perRow, int columns) {
    std::vector<QStringList> out;
    int next = 0;
    for (int r = 0; r < rows; ++r) {
      QStringList row;
      for (int c = 0; c < columns; ++c) {
        QStringList cell;
        for (int w = 0; w < perRow; ++w, next += 7) cell << vocabulary[next % vocabulary.size()];
        row << cell.join(QLatin1Char(' '));
      }
      out.push_back(row);
    }
    return out;
  };
  textimages::Style prose;
  prose.family = QStringLiteral("DejaVu Sans");
  prose.px = 12;
  prose.pitch = 1.1;
  textimages::Style darkColumns = textimages::dark(13);
  darkColumns.family = prose.family;
  struct Case {
    const char* name;
    std::vector<QStringList> rows;
    textimages::Style style;
    std::vector<int> columns;
  } const cases[] = {{"12 px prose", words(45, 16, 1), prose, {}},
                     {"two columns, light on dark", words(35, 8, 2), darkColumns, {16, 560}}};
  auto counted = [](const QString& text) {
    std::map<QString, int> n;
    for (const QString& w : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) ++n[w];
    return n;
  };
  // Words of `drawn` that `read` lacks.
  auto missing = [](const std::map<QString, int>& drawn, const std::map<QString, int>& read) {
    int lacking = 0;
    for (const auto& [w, n] : drawn) lacking += std::max(0, n - (read.count(w) ? read.at(w) : 0));
    return lacking;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QImage image = textimages::render(c.rows, c.style, 0, c.columns).image;
    QStringList all;
    for (const QStringList& row : c.rows) all << row;
    const auto drawn = counted(all.join(QLatin1Char(' ')));
    const int total = int(all.join(QLatin1Char(' ')).split(QLatin1Char(' ')).size());
    std::map<QString, int> read[2];
    for (const bool fast : {false, true}) {
      settings.setFastMode(fast);
      const Recognized r = readOnWorker(road::requestFor(image, settings));
      EXPECT_EQ(fromTheFastPath(r), fast);
      read[fast] = counted(r.text());
      EXPECT_LE(missing(drawn, read[fast]), total / 100) << (fast ? "fast" : "accurate");
    }
    EXPECT_LE(missing(read[false], read[true]), total / 100) << "read accurately, not fast";
    EXPECT_LE(missing(read[true], read[false]), total / 100) << "read fast, not accurately";
  }
}
