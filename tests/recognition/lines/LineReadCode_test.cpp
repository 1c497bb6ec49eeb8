// Lines of code and terminal output read on the detector's road: monospace
// faces, lines as close as a terminal sets them, the real model and real
// engines.
#include <gtest/gtest.h>

#include <tuple>

#include "recognition/lines/LineRead.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/CodeLines.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"

namespace {

class LineReadCode : public DetectorRoadTest {};

// The texts of the lines read from the detector's boxes of `image`, spaces
// simplified.
QStringList readTexts(const QImage& image) {
  QStringList out;
  const auto found = ocr::findLines(image);
  if (!found) return out;
  for (const ocr::EngineLine& line : ocr::readLines(found->page, found->boxes, QStringLiteral("eng")).lines)
    out << line.text.simplified();
  return out;
}

TEST_F(LineReadCode, LinesSetCloseAreReadWithoutTheirNeighboursMarks) {
  // A terminal's pitch is the face's own line spacing: the detector's boxes
  // reach into the lines above and below. An underscore of the line above
  // stands over this line's letters, the tops of the next line's letters
  // under its quotes and spaces.
  const QStringList lines{QStringLiteral("user_name: root"),
                          QStringLiteral("api_url: http://localhost:8080/api"),
                          QStringLiteral("log_file = /var/log/app/server_01.log"),
                          QStringLiteral("BASE_DIR = \"/var/lib/sensors\""),
                          QStringLiteral("DEFAULT_PORT = 8080"),
                          QStringLiteral("settings = load_settings(\"config/main.yaml\")"),
                          QStringLiteral("print(settings.get(\"log_level\"), value(3))")};
  for (const bool dark : {false, true}) {
    SCOPED_TRACE(dark ? "dark" : "light");
    textimages::Style style = dark ? textimages::dark(15) : textimages::Style{};
    style.family = QStringLiteral("DejaVu Sans Mono");
    style.px = 15;
    style.pitch = 1.0;
    const QStringList read = readTexts(textimages::lines(lines, style).image);
    const QString all = read.join(QLatin1Char('|'));
    for (const QString& line : lines) EXPECT_TRUE(read.contains(line)) << line.toStdString() << " in " << all.toStdString();
  }
}

}  // namespace

TEST_F(LineReadCode, ABoxOfNothingButGroundReadsNoLine) {
  // The detector now and then boxes a patch of a dark terminal's ground
  // between two columns; the engine would read a letter into it.
  textimages::Style style = textimages::dark(15);
  style.family = QStringLiteral("DejaVu Sans Mono");
  const QImage image = textimages::render({{QStringLiteral("4096"), QStringLiteral("Nov")}}, style, 300, {16, 200}).image;
  const auto found = ocr::findLines(image);
  ASSERT_TRUE(found);
  std::vector<QRect> boxes = found->boxes;
  const size_t text = boxes.size();
  for (const QRect& blank : {QRect(120, 20, 10, 7), QRect(140, 18, 14, 8), QRect(100, 22, 9, 8)}) boxes.push_back(blank);
  const ocr::LinesRead read = ocr::readLines(found->page, boxes, QStringLiteral("eng"));
  QStringList texts;
  for (const ocr::EngineLine& line : read.lines) texts << line.text;
  EXPECT_EQ(read.lines.size(), text) << texts.join(QLatin1Char('|')).toStdString();
}

TEST_F(LineReadCode, AnUnderscoreOfSmallTextScaledUpIsKept) {
  // Scaled up from 11 px, the bar of "_" blurs into the foot of the letter
  // after it; the engine reads a space there all the same.
  textimages::Style style;
  style.family = QStringLiteral("DejaVu Sans Mono");
  style.px = 11;
  style.pitch = 1.2;
  const QStringList lines{QStringLiteral("def parse_config(file_path):"),
                          QStringLiteral("    return os.path.join(base_dir, \"cache.db\")")};
  const QStringList read = readTexts(textimages::lines(lines, style).image);
  const QString all = read.join(QLatin1Char('|'));
  EXPECT_TRUE(all.contains(QStringLiteral("(base_dir,"))) << all.toStdString();
  EXPECT_TRUE(all.contains(QStringLiteral("parse_config(file_path)"))) << all.toStdString();
}

TEST_F(LineReadCode, UnderscoresTheEngineLeavesOutOfANameComeBack) {
  // In DejaVu Sans Mono the engine reads "items; __init__.py" as
  // "items; init .py" or "items; _init_.py" at some sizes: the bars stand in
  // the gaps and under the edges of the words' boxes, and every one of their
  // cells is an underscore.
  for (const auto& [px, ratio, dark] : {std::tuple{11, 1, true}, {13, 2, false}, {13, 2, true}}) {
    SCOPED_TRACE(std::to_string(px) + " px x" + std::to_string(ratio) + (dark ? " dark" : " light"));
    const codelines::Sample s = codelines::render(QStringLiteral("DejaVu Sans Mono"), px, ratio, dark);
    const QString text = Recognizer::recognize(s.image, {QStringLiteral("en-US")}, true).text();
    EXPECT_TRUE(text.contains(QStringLiteral("items; __init__.py"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("os.path.join(base_dir,"))) << text.toStdString();
    const codelines::Kept k = codelines::kept(s.truth, text);
    EXPECT_EQ(k.kept[0], k.total[0]) << text.toStdString();
  }
}

TEST_F(LineReadCode, AWindowEdgeFlushAgainstTheTextIsNotReadAsAMark) {
  // An editor whose text starts two pixels inside its window's frame, the
  // desktop dark beyond it, as a drag a little wider than the window takes it.
  const QStringList lines{QStringLiteral("import os.path"), QStringLiteral("from app.config import load_settings"),
                          QStringLiteral("BASE_DIR = \"/var/lib/sensors\""), QStringLiteral("DEFAULT_PORT = 8080")};
  textimages::Style style;
  style.family = QStringLiteral("DejaVu Sans Mono");
  style.px = 13;
  style.pitch = 1.2;
  style.margin = 8;
  QImage image = textimages::lines(lines, style).image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < style.margin - 3; ++x) row[x] = qRgb(0, 0, 0);
    row[style.margin - 3] = qRgb(70, 70, 70);
  }
  const QStringList read = readTexts(image);
  const QString all = read.join(QStringLiteral(" / "));
  for (const QString& line : lines) EXPECT_TRUE(read.contains(line)) << line.toStdString() << " in " << all.toStdString();
  EXPECT_EQ(read.size(), lines.size()) << all.toStdString();
}
