#include "recognition/engines/HugePages.h"

#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <opencv2/core.hpp>
#include <system_error>
#include <thread>

#include <tbb/blocked_range.h>
#include <tbb/parallel_for.h>

namespace ocr {

namespace {

constexpr size_t kSmallPage = 4096;

// The pages of a fresh mapping, faulted in on all cores at once. The kernel
// zeroes a page in the thread that first touches it, and a layer of the
// network that writes its output on one thread zeroed all of it there: the
// detector's pass over a full-HD page of 15 px prose took 370 ms against
// 300 with its buffers faulted in here (median of 9 passes, each right after
// a recognition). A page in each 4 KB of the `used` bytes is touched, for
// where no huge page could be had: the rest of the last huge page stays
// unfaulted there.
//
// On TBB's workers directly, not in cv::parallel_for_: OpenCV runs one of its
// loops in parallel at a time in the whole process, and a matrix the page
// cleaning or the code search made beside the detector, faulted in through
// it, left the network's layers meanwhile to run on one thread each.
void faultIn(uchar* start, size_t used) {
  const size_t chunks = (used + kHugePage - 1) / kHugePage;
  volatile uchar* at = start;
  tbb::parallel_for(tbb::blocked_range<size_t>(0, chunks), [at, used](const tbb::blocked_range<size_t>& r) {
    for (size_t i = r.begin(); i < r.end(); ++i) {
      const size_t from = i * kHugePage, to = std::min(used, from + kHugePage);
      for (size_t page = from; page < to; page += kSmallPage) at[page] = 0;
    }
  });
}

// Mappings of matrices let go, kept resident for the next matrices of about
// their size. The kernel zeroes every page of a fresh mapping as it is first
// touched, and zeroing the detector's buffers, set up afresh for every
// capture, was a quarter of a warm capture's processor time on this machine
// (a full-HD page of 15 px prose: 1.2-2.6 s of system time in 8-9 s, against
// 0.4 s kept; 1.4 s against 1.2 s from start to end). Kept here, they are
// handed over as they are. What nothing takes again within a while goes
// back to the system, so an idle program holds no more than before.
class FreedMappings {
 public:
  // A kept mapping of `length` bytes or more, but at most twice as many:
  // its start, and `length` set to its own; null when none fits.
  uchar* take(size_t& length) {
    std::lock_guard lock(mutex_);
    auto it = kept_.lower_bound(length);
    if (it == kept_.end() || it->first > 2 * length) return nullptr;
    length = it->first;
    uchar* start = it->second;
    kept_.erase(it);
    bytes_ -= length;
    lastUse_ = Clock::now();
    return start;
  }

  // False when keeping it would hold more than the limit: the caller unmaps it.
  bool keep(uchar* start, size_t length) {
    std::lock_guard lock(mutex_);
    if (bytes_ + length > kKeptAtMost) return false;
    if (!sweeper_.joinable()) {
      try {
        sweeper_ = std::thread([this] { sweep(); });
      } catch (const std::system_error&) {
        return false;  // without it nothing kept would ever be let go
      }
    }
    kept_.emplace(length, start);
    bytes_ += length;
    lastUse_ = Clock::now();
    wake_.notify_one();
    return true;
  }

  size_t bytes() {
    std::lock_guard lock(mutex_);
    return bytes_;
  }

  void release() {
    std::multimap<size_t, uchar*> kept;
    {
      std::lock_guard lock(mutex_);
      kept.swap(kept_);
      bytes_ = 0;
    }
    for (const auto& [length, start] : kept) munmap(start, length);
  }

  void setIdle(std::chrono::milliseconds idle) {
    std::lock_guard lock(mutex_);
    idle_ = idle;
    wake_.notify_one();
  }

 private:
  using Clock = std::chrono::steady_clock;
  // More than the detector's buffers for a full-HD capture (about 300 MB).
  static constexpr size_t kKeptAtMost = 384ul << 20;

  // Lets everything go once nothing was kept or taken for `idle_`. Runs for
  // the life of the process (the instance is never destroyed).
  [[noreturn]] void sweep() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return !kept_.empty(); });
      if (Clock::now() - lastUse_ < idle_) {
        wake_.wait_until(lock, lastUse_ + idle_);
        continue;
      }
      // Unmapped outside the lock: a capture starting meanwhile allocates
      // without waiting for hundreds of megabytes to go back.
      std::multimap<size_t, uchar*> idle;
      idle.swap(kept_);
      bytes_ = 0;
      lock.unlock();
      for (const auto& [length, start] : idle) munmap(start, length);
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::multimap<size_t, uchar*> kept_;  // by length
  size_t bytes_ = 0;
  Clock::time_point lastUse_;
  // Captures that follow one another (a retry, the same spot again) come
  // within seconds.
  std::chrono::milliseconds idle_{15000};
  std::thread sweeper_;
};

FreedMappings& freedMappings() {
  // Never destroyed: its thread runs for the life of the process.
  static auto* mappings = new FreedMappings;
  return *mappings;
}

class HugePageAllocator final : public cv::MatAllocator {
 public:
  cv::UMatData* allocate(int dims, const int* sizes, int type, void* data, size_t* step, cv::AccessFlag,
                         cv::UMatUsageFlags) const override {
    // The bytes of the whole matrix, filling in the steps of a dense one.
    size_t total = CV_ELEM_SIZE(type);
    for (int i = dims - 1; i >= 0; --i) {
      if (step) {
        if (data && step[i] != cv::Mat::AUTO_STEP) {
          CV_Assert(total <= step[i]);
          total = step[i];
        } else {
          step[i] = total;
        }
      }
      total *= size_t(sizes[i]);
    }
    uchar* own = nullptr;
    size_t mapped = 0;
    if (!data) {
      // Where no mapping can be had, OpenCV's allocator is asked instead:
      // its failure is the cv::Exception the callers expect.
      if (total >= kHugePage) {
        mapped = (total + kHugePage - 1) / kHugePage * kHugePage;
        own = freedMappings().take(mapped);  // resident already
        if (!own) {
          own = mapAligned(mapped);
          if (own)
            faultIn(own, total);
          else
            mapped = 0;
        }
      }
      if (!own) own = static_cast<uchar*>(cv::fastMalloc(total));
    }
    auto* u = new cv::UMatData(this);
    u->size = total;
    if (data) {
      u->data = u->origdata = static_cast<uchar*>(data);
      u->flags |= cv::UMatData::USER_ALLOCATED;
    } else {
      u->data = u->origdata = own;
      // Marks a mapping of our own, and its length.
      if (mapped) u->userdata = reinterpret_cast<void*>(mapped);
    }
    return u;
  }

  bool allocate(cv::UMatData* u, cv::AccessFlag, cv::UMatUsageFlags) const override { return u != nullptr; }

  void deallocate(cv::UMatData* u) const override {
    if (!u) return;
    CV_Assert(u->urefcount == 0 && u->refcount == 0);
    if (!(u->flags & cv::UMatData::USER_ALLOCATED)) {
      if (const auto length = reinterpret_cast<size_t>(u->userdata)) {
        if (!freedMappings().keep(u->origdata, length)) munmap(u->origdata, length);
      } else {
        cv::fastFree(u->origdata);
      }
    }
    delete u;
  }

 private:
  // `length` bytes (a multiple of a huge page) starting on a huge page:
  // mapped one huge page longer, the ends beyond the aligned part unmapped.
  static uchar* mapAligned(size_t length) {
    const size_t mapped = length + kHugePage;
    void* p = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t start = (base + kHugePage - 1) / kHugePage * kHugePage;
    if (start > base) munmap(p, start - base);
    const std::uintptr_t end = start + length;
    if (base + mapped > end) munmap(reinterpret_cast<void*>(end), base + mapped - end);
    madvise(reinterpret_cast<void*>(start), length, MADV_HUGEPAGE);
    return reinterpret_cast<uchar*>(start);
  }
};

}  // namespace

size_t keptFreedBytes() { return freedMappings().bytes(); }

void setFreedKeptFor(std::chrono::milliseconds idle) { freedMappings().setIdle(idle); }

void releaseFreedMappings() { freedMappings().release(); }

void useHugePagesForLargeMatrices() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Never destroyed: matrices made by it may outlive any static.
    cv::Mat::setDefaultAllocator(new HugePageAllocator);
  });
}

}  // namespace ocr
