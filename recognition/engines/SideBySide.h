#pragma once

// Whether the reads on this thread run side by side with others of the same
// recognition (the second chance's passes): those share the cores already,
// so a read among them starts no engines of its own for bands, and line
// reads start only their share of the cores.
namespace ocr {

bool readingSideBySide();

// The passes read at once with the one on this thread; 1 when it is alone.
int passesSideBySide();

// Marks the reads on this thread as side by side with `passes` reads (this
// one included) for as long as it lives.
class SideBySide {
 public:
  explicit SideBySide(int passes = 2);
  ~SideBySide();
  SideBySide(const SideBySide&) = delete;
  SideBySide& operator=(const SideBySide&) = delete;

 private:
  int was_;
};

}  // namespace ocr

namespace Recognizer {

// Work that may run side by side: one fewer than the machine has cores.
int defaultParallel();

}  // namespace Recognizer
