#pragma once
#include <QImage>
#include <QRect>
#include <vector>

// Application screens made ready for the text engine: text on a darker patch
// of its own (a default button, a selected row, a dark header) turned dark on
// light like the rest, and the widgets' chrome (frames, field edges,
// separators, check boxes, radio buttons, the arrows of drop-downs, spin
// boxes and scroll bars) painted over with the ground, so that none of it is
// read as text. Works on a grey image whose ink is darker than its ground
// (the whole-image polarity is settled before); plain text, prose and code,
// has none of these shapes and comes out unchanged.
namespace ocr {

struct Cleaned {
  // The rectangles of the frames removed (fields, buttons, group boxes, scroll
  // bars), in the image's pixels.
  std::vector<QRect> controls;
  int islands = 0;     // darker patches given the page's ground, their text made dark
  int lines = 0;       // straight lines painted over
  int marks = 0;       // check boxes, radio buttons and arrows painted over
  bool changed() const { return islands + lines + marks > 0; }
};

// Cleans `grey8` (Format_Grayscale8, ink darker than `ground`) in place.
Cleaned clean(QImage& grey8, int ground);

}  // namespace ocr
