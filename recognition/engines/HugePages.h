#pragma once

// Large OpenCV matrices on transparent huge pages. The text detector's
// network sets up some hundreds of megabytes of fresh buffers for every
// capture (they are let go between captures), and faulting them in a page of
// 4 KB at a time (a page first read and then written also flushes the other
// cores' address caches) took a third of the detection, most of it system
// time (bench/ocr_bench --roads --part speed). Matrices of a huge page or
// more are mapped on their own, aligned to huge pages and marked for them;
// smaller ones, and large ones no mapping can be had for, come from
// OpenCV's own allocator. Where the system gives no huge pages the marking
// does nothing; a matrix may hold up to one huge page more than it uses
// (twice its size when it took a kept mapping, below). Such a mapping is
// faulted in on all cores as it is made, not page by page by whichever
// thread first writes to it. A mapping let go is kept, resident, for the
// next large matrix of about its size (up to 384 MB in all), and returned
// to the system once none was kept or taken for 15 s.
#include <chrono>
#include <cstddef>

namespace ocr {

// Makes the allocator above OpenCV's default for matrices created from now
// on, once per process; matrices already made keep theirs. Best called
// before any other thread makes matrices (the application does so at its
// start); the detector calls it too, for the programs that do not.
void useHugePagesForLargeMatrices();

// The bytes of freed mappings kept now.
size_t keptFreedBytes();
// How long kept mappings wait for a taker; for tests.
void setFreedKeptFor(std::chrono::milliseconds idle);
// Returns every kept mapping to the system now (an idle program).
void releaseFreedMappings();

// The size from which a matrix gets a mapping of its own.
constexpr unsigned long kHugePage = 2ul << 20;

}  // namespace ocr
