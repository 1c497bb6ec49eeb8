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
// does nothing; a matrix may hold up to one huge page more than it uses.
// Such a mapping is faulted in on all cores as it is made, not page by page
// by whichever thread first writes to it.
namespace ocr {

// Makes the allocator above OpenCV's default for matrices created from now
// on, once per process; matrices already made keep theirs. Best called
// before any other thread makes matrices (the application does so at its
// start); the detector calls it too, for the programs that do not.
void useHugePagesForLargeMatrices();

// The size from which a matrix gets a mapping of its own.
constexpr unsigned long kHugePage = 2ul << 20;

}  // namespace ocr
