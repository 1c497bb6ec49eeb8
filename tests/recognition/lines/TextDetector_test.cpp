// The text detector with its real model on images rendered here: where it
// finds lines, how large captures are tiled, and what happens without a model.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QLoggingCategory>
#include <QPainter>
#include <QTemporaryFile>
#include <algorithm>

#include "recognition/ReadPass.h"
#include "recognition/lines/TextBoxes.h"
#include "recognition/lines/TextDetector.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/TestEnv.h"

namespace {

const QStringList kLines{QStringLiteral("The quick brown fox jumps over the lazy dog."),
                         QStringLiteral("Settings were saved at 10:45 on Friday."),
                         QStringLiteral("Click Continue to install the updates.")};

// How many of `boxes` hold most of `ink`.
int covering(const std::vector<QRect>& boxes, const QRect& ink) {
  return int(std::count_if(boxes.begin(), boxes.end(), [&](const QRect& b) {
    const QRect common = b & ink;
    return common.width() * common.height() >= 0.8 * ink.width() * ink.height();
  }));
}

TEST(TextDetector, FindsEachLineOnceAroundItsInk) {
  for (const textimages::Style& style : {textimages::Style{}, textimages::dark(11)}) {
    const auto drawn = textimages::lines(kLines, style);
    const auto boxes = ocr::TextDetector::shared().detect(drawn.image);
    ASSERT_TRUE(boxes);
    ASSERT_EQ(boxes->size(), size_t(kLines.size()));
    for (size_t i = 0; i < boxes->size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(covering(*boxes, drawn.ink[i]), 1);
      // Not a line's height too tall: neighbouring lines stay apart.
      EXPECT_LT((*boxes)[i].height(), 2 * drawn.ink[i].height());
    }
  }
}

TEST(TextDetector, LargeCaptureIsReadInTilesWithoutDoubleBoxes) {
  // 4000 x 2600: scaled to three quarters and read in tiles; lines placed
  // across the tiles' seams are found once, in the capture's pixels.
  QImage image(4000, 2600, QImage::Format_RGB32);
  image.fill(Qt::white);
  QFont font(QStringLiteral("Noto Sans"));
  font.setPixelSize(20);
  QPainter p(&image);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  std::vector<QRect> drawn;
  for (int row = 0; row < 12; ++row) {
    const QRect r(80 + (row % 3) * 1300, 60 + row * 210, 1100, 30);
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Line %1 of a very large capture with words").arg(row));
    drawn.push_back(r);
  }
  p.end();
  for (QRect& r : drawn) r = textimages::inkBox(image, Qt::white, r.top(), r.bottom() + 1);
  const auto boxes = ocr::TextDetector::shared().detect(image);
  ASSERT_TRUE(boxes);
  EXPECT_EQ(boxes->size(), drawn.size());
  for (const QRect& ink : drawn) EXPECT_EQ(covering(*boxes, ink), 1) << ink.x() << "," << ink.y();
}

TEST(TextDetector, TheShippedModelIsTheOneItsChecksumNames) {
  EXPECT_TRUE(ocr::TextDetector::shared().available());
}

TEST(TextDetector, ImagesOfAnotherSizeAfterwardsAreReadAsWell) {
  // The network is set up afresh for every input size; what it finds in an
  // image must not depend on the sizes it saw before.
  const auto small = textimages::lines(kLines, textimages::dark(11));
  const auto large = textimages::lines(kLines, {}, 900);
  ocr::TextDetector detector(ocr::TextDetector::shared().modelPath());
  const auto first = detector.detect(small.image);
  const auto between = detector.detect(large.image);
  const auto again = detector.detect(small.image);
  ASSERT_TRUE(first && between && again);
  EXPECT_EQ(first->size(), size_t(kLines.size()));
  EXPECT_EQ(between->size(), size_t(kLines.size()));
  EXPECT_EQ(*again, *first);
}

TEST(TextDetector, GreyImageGivesTheLinesOfItsColourTwin) {
  // A large file is read in grey, and the network takes it without a colour
  // copy: at the capture's size and scaled down (its long side over a tile's)
  // it must find what the same pixels in colour give.
  for (const auto& drawn : {textimages::lines(kLines, textimages::dark(11)), textimages::lines(kLines, {}, 2400)}) {
    const QImage grey = drawn.image.convertToFormat(QImage::Format_Grayscale8);
    const auto fromGrey = ocr::TextDetector::shared().detect(grey);
    const auto fromColour = ocr::TextDetector::shared().detect(grey.convertToFormat(QImage::Format_RGB32));
    ASSERT_TRUE(fromGrey && fromColour);
    EXPECT_EQ(fromGrey->size(), size_t(kLines.size()));
    EXPECT_EQ(*fromGrey, *fromColour);
  }
}

TEST(TextDetector, BlankImageHasNoLines) {
  QImage white(640, 360, QImage::Format_ARGB32_Premultiplied);
  white.fill(Qt::white);
  const auto boxes = ocr::TextDetector::shared().detect(white);
  ASSERT_TRUE(boxes);
  EXPECT_TRUE(boxes->empty());
  EXPECT_FALSE(ocr::TextDetector::shared().detect(QImage()));
}

// Missing, not a network, a named pipe (never waited on), or the shipped
// model with eight bytes of its weights overwritten (it would load and find
// nothing): one warning each, and the engine's own layout reads the image.
TEST(TextDetector, MissingBrokenDamagedOrPipedModelWarnsOnceAndFindsNothing) {
  QTemporaryFile broken;
  ASSERT_TRUE(broken.open());
  broken.write("not a network");
  broken.flush();
  const QString fifo = testenv::scratch() + "/model-fifo.onnx";
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString damaged = testenv::scratch() + "/damaged.onnx";
  {
    QFile shipped(ocr::TextDetector::shared().modelPath());
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    QByteArray bytes = shipped.readAll();
    bytes.replace(bytes.size() / 2, 8, QByteArray(8, '\x7f'));
    QFile out(damaged);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_EQ(out.write(bytes), bytes.size());
  }
  ocr::DetectorOptions shipped;
  shipped.sha256 = ocr::kShippedModelSha256;
  const auto drawn = textimages::lines(kLines, {});
  for (const QString& path : {QStringLiteral("/nonexistent/model.onnx"), broken.fileName(), QString(), fifo, damaged}) {
    SCOPED_TRACE(path.toStdString());
    testenv::LogCapture log(QStringLiteral("tarvok.ocr"));
    ocr::TextDetector detector(path, shipped);
    EXPECT_FALSE(detector.available());
    EXPECT_FALSE(detector.detect(drawn.image));
    EXPECT_FALSE(detector.detect(drawn.image));
    EXPECT_EQ(log.lines().filter(QStringLiteral("text detector")).size(), 1) << log.lines().join('\n').toStdString();
    // The road as it was: the engine's own layout analysis reads the image.
    const bool was = ocr::detectorRoad();
    ocr::setDetectorRoad(true);
    EXPECT_FALSE(ocr::findLines(drawn.image, detector));
    ocr::setDetectorRoad(was);
    const Recognizer::Pass pass = ocr::readPass(drawn.image, QStringLiteral("eng"), ocr::findLines(drawn.image, detector));
    EXPECT_EQ(textimages::rowTexts(pass.result), kLines);
  }
}

TEST(TextBoxes, RegionsGrowBackAndWeakOrThinOnesGo) {
  cv::Mat map = cv::Mat::zeros(200, 400, CV_8U);
  map(cv::Rect(20, 20, 200, 10)).setTo(230);   // a line's core
  map(cv::Rect(20, 80, 200, 10)).setTo(120);   // above the threshold, too weak on average
  map(cv::Rect(20, 140, 300, 2)).setTo(250);   // a rule, not a line
  map(cv::Rect(300, 20, 40, 40)).setTo(200);   // a square block
  const std::vector<QRect> boxes = ocr::textBoxes(map);
  ASSERT_EQ(boxes.size(), 2u);
  // Top to bottom. 40 x 40 grows by 40 * 40 * 1.6 / 160 = 16 on each side.
  EXPECT_EQ(boxes[0], QRect(284, 4, 72, 72));
  // 200 x 10 grows by 200 * 10 * 1.6 / 420 = 7.6.
  EXPECT_EQ(boxes[1], QRect(12, 12, 216, 26));
}

TEST(TextBoxes, PiecesOfOneMarkBecomeOneBox) {
  cv::Mat map = cv::Mat::zeros(60, 100, CV_8U);
  map(cv::Rect(40, 20, 4, 16)).setTo(240);  // a thin digit's stroke
  map(cv::Rect(36, 20, 3, 4)).setTo(240);   // its flag, parted by one column
  map(cv::Rect(80, 20, 4, 16)).setTo(240);  // another digit, well apart
  const std::vector<QRect> boxes = ocr::textBoxes(map);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_TRUE(boxes[0].contains(QRect(36, 20, 8, 16)));
  EXPECT_GT(boxes[1].left(), 70);
}

TEST(TextBoxes, PiecesOfOneRowGrownIntoEachOtherPartHalfwayBetweenTheirCores) {
  cv::Mat map = cv::Mat::zeros(120, 400, CV_8U);
  // Each core grows by 100 * 10 * 1.6 / 220 = 7.3 on every side.
  map(cv::Rect(20, 20, 100, 10)).setTo(230);
  map(cv::Rect(126, 20, 100, 10)).setTo(230);  // 6 apart: grown, they would share 10 columns
  map(cv::Rect(260, 20, 100, 10)).setTo(230);  // 34 apart: a cell of its own
  map(cv::Rect(20, 44, 100, 10)).setTo(230);   // the next row touches the first from below
  const std::vector<QRect> boxes = ocr::textBoxes(map);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0], QRect(QPoint(12, 12), QPoint(122, 37)));
  EXPECT_EQ(boxes[1], QRect(QPoint(123, 12), QPoint(233, 37)));
  EXPECT_EQ(boxes[2].left(), 252);
  // Rows are not parted: the line below keeps its full height.
  EXPECT_EQ(boxes[3], QRect(QPoint(12, 36), QPoint(127, 61)));
}

TEST(TextBoxes, GrowthStopsAtTheMapsEdges) {
  cv::Mat map = cv::Mat::zeros(50, 100, CV_8U);
  map(cv::Rect(0, 0, 100, 8)).setTo(255);
  const std::vector<QRect> boxes = ocr::textBoxes(map);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].topLeft(), QPoint(0, 0));
  EXPECT_EQ(boxes[0].width(), 100);
  EXPECT_TRUE(ocr::textBoxes(cv::Mat()).empty());
}

}  // namespace
