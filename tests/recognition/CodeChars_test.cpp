// The characters code depends on, underscores, dots and colons, through the
// whole accurate road on lines of code rendered in monospace faces, and the
// two repairs that keep them: faint underscores made as dark as the text, and
// the spaces code does not have taken out of a read line.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <future>

#include "recognition/clean/CodeGaps.h"
#include "recognition/words/Indents.h"
#include "recognition/LiveText.h"
#include "recognition/clean/Prepare.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/CodeLines.h"
#include "tests/recognition/TextImages.h"

namespace {

TEST(CodeChars, UnderscoresDotsAndColonsComeBackInMonospaceFaces) {
  ocr::setDetectorRoad(false);
  codelines::Kept all;
  for (const QString& family : codelines::families())
    for (bool dark : {false, true})
      for (int ratio : {1, 2}) {
        SCOPED_TRACE(family.toStdString() + (dark ? " dark" : " light") + " x" + std::to_string(ratio));
        const codelines::Sample s = codelines::render(family, 13, ratio, dark);
        const QString text = Recognizer::recognize(s.image, {QStringLiteral("en-US")}, true).text();
        const codelines::Kept k = codelines::kept(s.truth, text);
        // Every face keeps most of them ("__init__" may lose one or two);
        // the identifiers read whole.
        EXPECT_GE(k.allKept(), 0.85 * k.all()) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("parse_config(file_path):"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("0.0.0.0:8080"))) << text.toStdString();
        all += k;
      }
  EXPECT_GE(all.allKept(), 0.97 * all.all());
}

// A line of `text` in DejaVu Sans Mono, grey, dark on white, and the box of
// the characters [from, to) in it.
struct Line {
  QImage grey;
  QFontMetrics metrics;
  int x = 10, baseline = 0;
  QRect box(const QString& text, int from, int to) const {
    const int left = x + metrics.horizontalAdvance(text.left(from));
    const int right = x + metrics.horizontalAdvance(text.left(to));
    return QRect(left + 1, baseline - metrics.ascent() + 3, right - left - 2, metrics.ascent() - 3);
  }
};

Line render(const QString& text, int px, bool underline = false) {
  QFont font(QStringLiteral("DejaVu Sans Mono"));
  font.setPixelSize(px);
  font.setUnderline(underline);
  Line l{QImage(), QFontMetrics(font)};
  QImage image(l.metrics.horizontalAdvance(text) + 20, l.metrics.height() * 3, QImage::Format_RGB32);
  image.fill(Qt::white);
  l.baseline = l.metrics.height() + l.metrics.ascent();
  QPainter p(&image);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  p.drawText(l.x, l.baseline, text);
  p.end();
  l.grey = ocr::grey(image);
  return l;
}

// The line the engine gives for `read`, its words' boxes those of `spans`
// (character ranges of the image's text).
ocr::EngineLine engineLine(const Line& l, const QString& drawn, const QString& read,
                           const std::vector<std::pair<int, int>>& spans) {
  ocr::EngineLine line{read, 0.9, QRect(), {}};
  qsizetype at = 0;
  for (const QString& word : read.split(QLatin1Char(' '))) {
    const auto& [from, to] = spans[size_t(at++)];
    line.words.push_back({word, l.box(drawn, from, to)});
    *line.box |= *line.words.back().box;
  }
  return line;
}

// Lines the engine read right, word for word, come out of the repair as
// they went in.
void expectKept(std::initializer_list<QString> texts) {
  for (const QString& text : texts) {
    const Line p = render(text, 26);
    std::vector<std::pair<int, int>> spans;
    for (int i = 0, from = 0; i <= int(text.size()); ++i)
      if (i == int(text.size()) || text[i] == QLatin1Char(' ')) spans.push_back({from, i}), from = i + 1;
    ocr::EngineLine same = engineLine(p, text, text, spans);
    ocr::closeCodeGaps(same, p.grey, 255);
    EXPECT_EQ(same.text, text);
  }
}

TEST(CodeChars, AnUnderscoreReadAsASpaceIsPutBack) {
  for (int px : {26, 32}) {
    const QString drawn = QStringLiteral("x = file_path + key_name");
    const Line l = render(drawn, px);
    ocr::EngineLine line = engineLine(l, drawn, QStringLiteral("x = file path + key name"),
                                      {{0, 1}, {2, 3}, {4, 8}, {9, 13}, {14, 15}, {16, 19}, {20, 24}});
    ocr::closeCodeGaps(line, l.grey, 255);
    EXPECT_EQ(line.text, QStringLiteral("x = file_path + key_name")) << px;
    ASSERT_EQ(line.words.size(), 5u);
    EXPECT_EQ(line.words[2].text, QStringLiteral("file_path"));
    EXPECT_EQ(*line.words[2].box, l.box(drawn, 4, 8) | l.box(drawn, 9, 13));
  }
}

TEST(CodeChars, SpacesCodeHasNotAreTakenOutOthersStay) {
  const QString drawn = QStringLiteral("y = os.path.join(a) + std::max(b)");
  const Line l = render(drawn, 26);
  // The engine split "os.path. join" and "std: :max" where the narrow marks
  // leave room in their cells.
  ocr::EngineLine line = engineLine(l, drawn, QStringLiteral("y = os.path. join(a) + std: :max(b)"),
                                    {{0, 1}, {2, 3}, {4, 12}, {12, 19}, {20, 21}, {22, 26}, {26, 33}});
  ocr::closeCodeGaps(line, l.grey, 255);
  EXPECT_EQ(line.text, QStringLiteral("y = os.path.join(a) + std::max(b)"));
  EXPECT_EQ(line.words.size(), 5u);

  // A label's colon and a sentence's full stop keep their spaces.
  expectKept({QStringLiteral("Copies: 2 Pages: 4"), QStringLiteral("It ends. Then more. Done")});
}

TEST(CodeChars, AColonWrittenCloseToWhatFollowsLosesTheSpaceBeforeIt) {
  const QString drawn = QStringLiteral("url = http://localhost:8080/api");
  const Line l = render(drawn, 26);
  ocr::EngineLine line = engineLine(l, drawn, QStringLiteral("url = http://localhost :8080/api"), {{0, 3}, {4, 5}, {6, 22}, {22, 31}});
  ocr::closeCodeGaps(line, l.grey, 255);
  EXPECT_EQ(line.text, drawn);
  ASSERT_EQ(line.words.size(), 3u);
  EXPECT_EQ(line.words[2].text, QStringLiteral("http://localhost:8080/api"));

  // A colon set apart on both sides, as French writes it, and a label's
  // colon keep their spaces.
  expectKept({QStringLiteral("Remarque : voir la suite"), QStringLiteral("Port: 8080 Host: local")});
}

TEST(CodeChars, TheRoomBesideADotIsMeasuredOnTheImage) {
  // The engine's box of "README." ends at the "E": measured between the
  // boxes, the room after the dot looks a whole space. A line of one space
  // has no other to compare with: a character's width decides.
  const QString drawn = QStringLiteral("/usr/doc/README.txt");
  const Line l = render(drawn, 26);
  ocr::EngineLine line = engineLine(l, drawn, QStringLiteral("/usr/doc/README. txt"), {{0, 15}, {16, 19}});
  ocr::closeCodeGaps(line, l.grey, 255);
  EXPECT_EQ(line.text, drawn);
  EXPECT_EQ(line.words.size(), 1u);

  // A full stop with a space after it stays, with other spaces in the line
  // or without them.
  expectKept({QStringLiteral("Am 12. März 2024 in Bern"), QStringLiteral("notes.v2. see")});
}

TEST(CodeChars, AnUnderlineIsNoUnderscore) {
  const QString drawn = QStringLiteral("see the notes here");
  const Line l = render(drawn, 26, true);
  ocr::EngineLine line = engineLine(l, drawn, drawn, {{0, 3}, {4, 7}, {8, 13}, {14, 18}});
  ocr::closeCodeGaps(line, l.grey, 255);
  EXPECT_EQ(line.text, drawn);
  EXPECT_EQ(line.words.size(), 4u);
}

TEST(CodeChars, FaintUnderscoresTurnAsDarkAsTheTextDashesAndRulesStay) {
  // At 13 px DejaVu Sans Mono draws "_" one pixel thick between two rows:
  // a light grey the engine's binarisation drops.
  const Line l = render(QStringLiteral("a_b = c - d"), 13);
  QImage g = l.grey;
  const QRect cell = l.box(QStringLiteral("a_b = c - d"), 1, 2);
  const QRect under(cell.left() - 3, l.baseline + 1, cell.width() + 6, 5);  // below the letters' feet
  auto darkest = [&](const QImage& img, const QRect& r) {
    int v = 255;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) v = std::min<int>(v, img.constScanLine(y)[x]);
    return v;
  };
  ASSERT_GT(darkest(g, under), 100);
  EXPECT_GE(ocr::darkenFaintBars(g, 255, 12), 1);
  EXPECT_LT(darkest(g, under), 60);
  // Nothing but the bar changed.
  const QImage before = l.grey;
  for (int y = 0; y < g.height(); ++y)
    for (int x = 0; x < g.width(); ++x)
      if (!under.contains(x, y)) {
        ASSERT_EQ(g.constScanLine(y)[x], before.constScanLine(y)[x]) << x << "," << y;
      }

  // A faint bar with no text above it is chrome, and stays as it is.
  QImage chrome(200, 60, QImage::Format_Grayscale8);
  chrome.fill(255);
  for (int x = 40; x < 60; ++x) chrome.scanLine(40)[x] = 150;
  chrome.scanLine(10)[5] = 30;  // the darkest ink elsewhere
  const QImage untouched = chrome;
  EXPECT_EQ(ocr::darkenFaintBars(chrome, 255, 12), 0);
  EXPECT_EQ(chrome, untouched);
}

// Python as an editor shows it: blocks nested four deep, dunders, a
// docstring's quotes.
const QStringList kPython{
    QStringLiteral("__all__ = [\"Cache\"]"),
    QStringLiteral("class Cache(ValueError):"),
    QStringLiteral("    \"\"\"Readings by sensor.\"\"\""),
    QStringLiteral("    def __init__(self, path=None):"),
    QStringLiteral("        \"\"\""),
    QStringLiteral("        Keeps the readings here."),
    QStringLiteral("        \"\"\""),
    QStringLiteral("        self._path = path or \"/tmp\""),
    QStringLiteral("        for key in list(self._values):"),
    QStringLiteral("            if key is None:"),
    QStringLiteral("                del self._values[key]"),
    QStringLiteral("        return self._path"),
};

enum class Road { Layout, Detector, Fast };

Recognized readOn(Road road, const QImage& image) {
  const QStringList english{QStringLiteral("en-US")};
  if (road == Road::Fast)  // not on the GUI thread
    return std::async(std::launch::async, [&] { return LiveText::read(image, english); }).get().value_or(Recognized{});
  const bool was = ocr::detectorRoad();
  ocr::setDetectorRoad(road == Road::Detector);
  Recognized r = Recognizer::recognize(image, english, true);
  ocr::setDetectorRoad(was);
  return r;
}

int leading(const QString& line) {
  int n = 0;
  while (n < line.size() && line[n] == QLatin1Char(' ')) ++n;
  return n;
}

TEST(CodeChars, IndentationComesBackInCharacterCellsOnEveryRoad) {
  struct Case {
    const char* family;
    int px, ratio;
    bool dark;
    int shift;  // cells every line is indented by: a drag from left of the code
  };
  const Case cases[] = {{"DejaVu Sans Mono", 13, 1, false, 0}, {"DejaVu Sans Mono", 13, 1, true, 4},
                        {"Nimbus Mono PS", 16, 1, false, 2}, {"DejaVu Sans Mono", 11, 2, false, 0}};
  for (const Case& c : cases) {
    QStringList drawn;
    for (const QString& line : kPython) drawn << QString(c.shift, QLatin1Char(' ')) + line;
    const codelines::Sample s = codelines::render(QLatin1String(c.family), c.px, c.ratio, c.dark, drawn);
    for (const Road road : {Road::Layout, Road::Detector, Road::Fast}) {
      SCOPED_TRACE(std::string(c.family) + " " + std::to_string(c.px) + " px x" + std::to_string(c.ratio) +
                   (c.dark ? " dark" : " light") + " road " + std::to_string(int(road)));
      const Recognized r = readOn(road, s.image);
      const QString text = r.text();
      const QStringList rows = text.split(QLatin1Char('\n'));
      ASSERT_EQ(rows.size(), kPython.size()) << text.toStdString();
      // Every line read right is indented right ("__all__" may lose an
      // underscore, and its line then starts a cell late).
      int right = 0;
      for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i].trimmed() != kPython[i].trimmed()) continue;
        ++right;
        EXPECT_EQ(rows[i], kPython[i]) << text.toStdString();
      }
      EXPECT_GE(right, 4) << text.toStdString();
      // A docstring's quotes, alone on their lines or starting one, come
      // back whole and in their cells; so do the underscores of dunders and
      // of private names, and the lines holding them are indented right.
      for (qsizetype i = 0; i < rows.size(); ++i) {
        if (kPython[i].trimmed().startsWith(QStringLiteral("\"\"\""))) {
          EXPECT_EQ(rows[i].toStdString(), kPython[i].toStdString());
        }
        for (const QString& name : kPython[i].split(QLatin1Char(' ')))
          if (name.contains(QLatin1Char('_'))) {
            EXPECT_TRUE(rows[i].contains(name)) << rows[i].toStdString() << " lacks " << name.toStdString();
            EXPECT_EQ(leading(rows[i]), leading(kPython[i])) << rows[i].toStdString();
          }
      }
      // Code's quotes straight; the joined text without any row's indentation.
      EXPECT_FALSE(text.contains(QChar(0x201C)) || text.contains(QChar(0x201D))) << text.toStdString();
      EXPECT_FALSE(r.joinedText().contains(QStringLiteral("  "))) << r.joinedText().toStdString();
      EXPECT_FALSE(r.joinedText().startsWith(QLatin1Char(' '))) << r.joinedText().toStdString();
    }
  }
}

// The repairs on the image alone, whatever the engine: rows as an engine
// misreads them (a span of the drawn line's characters, the text read
// there; no span: no row at all) come out as drawn, indented.
TEST(CodeChars, LostQuotesAndUnderscoresAreCountedInTheirCells) {
  struct Row {
    const char* drawn;
    const char* read;  // nullptr: the engine found no line
    int from = 0;      // the characters of `drawn` its box covers; to: -1, the end
    int to = -1;
  };
  const Row rows[] = {
      {"__all__ = [\"Cache\"]", "_all__ = [\"Cache\"]", 1},
      {"class Cache(ValueError):", "class Cache(ValueError):"},
      {"    \"\"\"Readings by sensor.\"\"\"", "\"Readings by sensor.", 6, 26},
      {"    def __init__(self, path=None):", "def init __(self, path=None):", 4},
      {"        \"\"\"", nullptr},
      {"        Keeps the readings here.", "Keeps the readings here.", 8},
      {"        \"\"\"", "mat", 8},
      {"        self._values = {}", "self. values = {}", 8},
      {"        return x - y  # read right, stays", "return x - y  # read right, stays", 8},
  };
  for (int px : {13, 16}) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(px);
    const QFontMetrics m(font);
    const int lead = m.height() + 4, x = 12;
    QImage image(m.horizontalAdvance(QString(40, QLatin1Char('x'))) + 2 * x, lead * int(std::size(rows) + 2), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(QColor(32, 33, 36));
    std::vector<std::vector<Piece>> read;
    for (size_t i = 0; i < std::size(rows); ++i) {
      const QString drawn = QString::fromUtf8(rows[i].drawn);
      const int baseline = lead * int(i + 1) + m.ascent();
      p.drawText(x, baseline, drawn);
      if (!rows[i].read) continue;
      const int to = rows[i].to < 0 ? int(drawn.size()) : rows[i].to;
      const int left = x + m.horizontalAdvance(drawn.left(rows[i].from)) + 1;
      const int right = x + m.horizontalAdvance(drawn.left(to)) - 1;
      read.push_back({Piece{PixelRect::fromTopLeft(left, baseline - m.ascent() + 2, right - left, m.ascent() + m.descent() - 2,
                                                   image.height()),
                            QString::fromUtf8(rows[i].read)}});
    }
    p.end();
    ocr::indentCode(read, {}, image);
    QStringList out;
    for (const auto& row : read) out << row.front().text;
    QStringList drawn;
    for (const Row& r : rows) drawn << QString::fromUtf8(r.drawn);
    EXPECT_EQ(out.join(QLatin1Char('\n')).toStdString(), drawn.join(QLatin1Char('\n')).toStdString()) << px << " px";
  }
}

TEST(CodeChars, TextInAProportionalFaceGetsNoIndentation) {
  // A list whose items wrap under their first words, and labels and fields
  // of a dialog standing at different places: none is code.
  textimages::Style style;
  style.family = QStringLiteral("Noto Sans");
  style.px = 14;
  const QImage list = textimages::render({{QStringLiteral("• The engine reads every line of the page")},
                                          {QStringLiteral("   and then the words that follow it")},
                                          {QStringLiteral("• Settings are kept in the home folder")},
                                          {QStringLiteral("   under a name of their own for now")},
                                          {QStringLiteral("        Name of the new account holder")},
                                          {QStringLiteral("Password of the new account holder")}},
                                         style).image;
  for (const Road road : {Road::Layout, Road::Detector, Road::Fast}) {
    const Recognized r = readOn(road, list);
    for (const auto& row : r.lines) EXPECT_EQ(leading(row.front().text), 0) << r.text().toStdString() << " road " << int(road);
  }
}

}  // namespace
