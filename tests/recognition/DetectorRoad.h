#pragma once
// Tests of the accurate reader on the detector's road: switched on for the
// test's length, as it was afterwards.
#include <gtest/gtest.h>

#include "recognition/lines/TextDetector.h"

class DetectorRoadTest : public ::testing::Test {
 protected:
  void SetUp() override { ocr::setDetectorRoad(true); }
  void TearDown() override { ocr::setDetectorRoad(was_); }

 private:
  const bool was_ = ocr::detectorRoad();
};
