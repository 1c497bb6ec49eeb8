// The allocator that puts large matrices on huge pages: OpenCV's matrices
// made with it must behave as any others (shapes, steps, views, copies,
// wrapped memory), since every matrix of the process goes through it.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <numeric>
#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <thread>

#include "recognition/engines/HugePages.h"

namespace {

// Lets every kept mapping go, within `patience`; true when none is left.
bool letKeptGo(std::chrono::milliseconds idle, std::chrono::seconds patience) {
  ocr::setFreedKeptFor(idle);
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (ocr::keptFreedBytes() > 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ocr::setFreedKeptFor(std::chrono::seconds(15));
  return ocr::keptFreedBytes() == 0;
}

class HugePages : public ::testing::Test {
 protected:
  // Each test starts with nothing kept from the one before.
  void SetUp() override {
    ocr::useHugePagesForLargeMatrices();
    ASSERT_TRUE(letKeptGo(std::chrono::milliseconds(1), std::chrono::seconds(10)));
  }
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

// Pages of `m`'s memory not resident yet.
size_t absentPages(const cv::Mat& m) {
  const size_t page = size_t(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(m.datastart) / page * page;
  const auto end = reinterpret_cast<std::uintptr_t>(m.dataend);
  std::vector<unsigned char> resident((end - begin + page - 1) / page);
  if (mincore(reinterpret_cast<void*>(begin), end - begin, resident.data()) != 0) return resident.size();
  size_t absent = 0;
  for (unsigned char r : resident) absent += (r & 1) ? 0 : 1;
  return absent;
}

TEST_F(HugePages, ALargeMatrixIsFaultedInWhenMadeAndMadeFromManyThreadsAtOnce) {
  // Not yet written to, its pages are there: no thread that first writes
  // to it has to wait for them.
  const int shape[] = {1, 24, 464, 800};
  cv::Mat blob(4, shape, CV_32F);
  EXPECT_EQ(absentPages(blob), 0u);
  // Made inside the workers of one of OpenCV's parallel loops, where
  // faulting in nests in theirs.
  std::atomic<int> good{0};
  cv::parallel_for_(cv::Range(0, 16), [&good](const cv::Range& r) {
    for (int i = r.start; i < r.end; ++i) {
      cv::Mat m(1200, 1000, CV_32FC1, cv::Scalar(float(i)));
      if (absentPages(m) == 0 && cv::sum(m)[0] == double(i) * 1200 * 1000) ++good;
    }
  });
  EXPECT_EQ(good.load(), 16);
}

// A freed mapping goes to the next matrix of about its size, resident and
// holding whatever it held (as fresh memory of any allocator may); never to
// a matrix while another still uses it.
TEST_F(HugePages, AFreedMappingIsTakenAgainByTheNextMatrixOfAboutItsSize) {
  const int shape[] = {1, 16, 480, 800};  // 24 MB
  cv::Mat first(4, shape, CV_32F, cv::Scalar(1));
  const uchar* memory = first.data;
  cv::Mat beside(4, shape, CV_32F, cv::Scalar(2));
  EXPECT_NE(beside.data, memory);
  first.release();
  EXPECT_EQ(ocr::keptFreedBytes(), size_t(24) << 20);

  // Somewhat smaller: the same memory, its pages there before any write.
  cv::Mat again(1000, 5000, CV_32F);  // 19 MB
  EXPECT_EQ(again.data, memory);
  EXPECT_EQ(absentPages(again), 0u);
  again.setTo(3);
  EXPECT_EQ(cv::sum(again)[0], 3.0 * 1000 * 5000);
  EXPECT_EQ(cv::sum(beside)[0], 2.0 * beside.total());  // untouched by the reuse

  // Less than half its size would waste the rest: a mapping of its own.
  again.release();
  cv::Mat small(1000, 2500, CV_8U, cv::Scalar(4));  // 2.4 MB
  EXPECT_NE(small.data, memory);
  EXPECT_EQ(cv::sum(small)[0], 4.0 * 1000 * 2500);
}

TEST_F(HugePages, KeptMappingsAreBoundedAndGoBackToTheSystemWhenIdle) {
  // More freed at once than is kept: the rest is unmapped at once.
  {
    std::vector<cv::Mat> many;
    for (int i = 0; i < 12; ++i) many.emplace_back(8000, 8000, CV_8U);  // 64 MB each
  }
  EXPECT_LE(ocr::keptFreedBytes(), size_t(384) << 20);
  EXPECT_GT(ocr::keptFreedBytes(), size_t(256) << 20);

  EXPECT_TRUE(letKeptGo(std::chrono::milliseconds(50), std::chrono::seconds(10)));

  // A matrix made afterwards is mapped afresh and works as any other.
  cv::Mat fresh(4000, 4000, CV_8U, cv::Scalar(5));
  EXPECT_EQ(absentPages(fresh), 0u);
  EXPECT_EQ(cv::sum(fresh)[0], 5.0 * 4000 * 4000);
}

}  // namespace
