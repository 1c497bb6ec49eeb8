#pragma once

// Whether the reads on this thread run side by side with others of the same
// recognition (the second chance's passes): those share the cores already,
// so a read among them starts no engines of its own for bands.
namespace ocr {

bool readingSideBySide();

// Marks the reads on this thread as side by side for as long as it lives.
class SideBySide {
 public:
  SideBySide();
  ~SideBySide();
  SideBySide(const SideBySide&) = delete;
  SideBySide& operator=(const SideBySide&) = delete;

 private:
  bool was_;
};

}  // namespace ocr
