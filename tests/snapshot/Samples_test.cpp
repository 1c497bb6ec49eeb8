#include "snapshot/Samples.h"

#include <gtest/gtest.h>

#include "recognition/Recognizer.h"
#include "recognition/lines/TextDetector.h"

namespace {

// The table the snapshots show is read, not drawn from its rows: it must
// read back as its rows on either road and for a Korean or an English user
// (a Korean name in it was read with one letter wrong at the line reader's
// first scale, and the table's text with it).
TEST(SnapshotSamples, TheSampleTableReadsBackAsItsRowsOnEitherRoad) {
  const bool was = ocr::detectorRoad();
  for (const bool detector : {false, true}) {
    ocr::setDetectorRoad(detector);
    for (const char* language : {"ko-KR", "en-US"}) {
      const Recognized read = Recognizer::recognize(Snapshot::sampleImage(), {QString::fromLatin1(language)}, true);
      ASSERT_TRUE(read.table) << language << (detector ? " detector" : " layout");
      EXPECT_EQ(read.table->rows, Snapshot::tableRows()) << language << (detector ? " detector" : " layout");
    }
  }
  ocr::setDetectorRoad(was);
}

}  // namespace
