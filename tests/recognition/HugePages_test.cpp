// The allocator that puts large matrices on huge pages: OpenCV's matrices
// made with it must behave as any others (shapes, steps, views, copies,
// wrapped memory), since every matrix of the process goes through it.
#include <gtest/gtest.h>

#include <cstdint>
#include <numeric>
#include <opencv2/core.hpp>

#include "recognition/HugePages.h"

namespace {

class HugePages : public ::testing::Test {
 protected:
  void SetUp() override { ocr::useHugePagesForLargeMatrices(); }
};

TEST_F(HugePages, ALargeBlobIsDenseAlignedAndHoldsWhatIsWritten) {
  // A network input of 1 x 3 x 928 x 1600 floats, 17 MB.
  const int shape[] = {1, 3, 928, 1600};
  cv::Mat blob(4, shape, CV_32F);
  ASSERT_TRUE(blob.isContinuous());
  EXPECT_EQ(blob.step[3], sizeof(float));
  EXPECT_EQ(blob.step[2], 1600 * sizeof(float));
  EXPECT_EQ(blob.step[0], size_t(3) * 928 * 1600 * sizeof(float));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blob.data) % ocr::kHugePage, 0u);
  float* values = blob.ptr<float>();
  std::iota(values, values + blob.total(), 0.0f);
  const cv::Mat copy = blob.clone();
  EXPECT_EQ(cv::norm(blob, copy, cv::NORM_INF), 0.0);
  EXPECT_EQ(copy.ptr<float>(0, 2)[1599], float(2 * 928 * 1600 + 1599));
}

TEST_F(HugePages, SmallAndLargeMatricesOutliveTheirViewsAndCanBeRemade) {
  cv::Mat big(3000, 1000, CV_8UC1, cv::Scalar(7));
  cv::Mat view = big(cv::Rect(10, 2000, 50, 900));
  big.release();  // the view holds the memory now
  EXPECT_EQ(cv::countNonZero(view != 7), 0);
  view.setTo(9);
  EXPECT_EQ(cv::sum(view)[0], 9.0 * 50 * 900);
  view.release();

  for (int rows : {8, 1200, 40, 4000}) {  // small, large, small, larger
    cv::Mat m(rows, 700, CV_32FC1, cv::Scalar(1.5));
    EXPECT_EQ(cv::sum(m)[0], 1.5 * rows * 700) << rows;
  }
}

TEST_F(HugePages, WrappedMemoryIsUsedAsItIsAndNotFreed) {
  std::vector<std::uint8_t> pixels(4096 * 1024, 3);
  // Rows of 4000 bytes in rows of 4096: the given step holds.
  cv::Mat wrapped(1024, 4000, CV_8UC1, pixels.data(), 4096);
  EXPECT_EQ(wrapped.step[0], 4096u);
  EXPECT_EQ(wrapped.data, pixels.data());
  // Seen through a UMat, the wrapped memory goes through the allocator as
  // the caller's: used in place, never freed by it.
  {
    const cv::UMat seen = wrapped.getUMat(cv::ACCESS_READ);
    EXPECT_EQ(cv::sum(seen)[0], 3.0 * 4000 * 1024);
  }
  EXPECT_EQ(wrapped.data, pixels.data());
  // A copy of wrapped memory is the allocator's own, and dense.
  cv::Mat own;
  wrapped.copyTo(own);
  EXPECT_NE(own.data, pixels.data());
  EXPECT_TRUE(own.isContinuous());
  EXPECT_EQ(cv::sum(own)[0], 3.0 * 4000 * 1024);
}

}  // namespace
