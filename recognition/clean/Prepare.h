#pragma once
#include <QImage>
#include <QRect>
#include <vector>

#include "recognition/base/Result.h"

// Screen text made ready for the text engine, and the way back to the
// source's pixels. Screen text is small (lines of 9-16 px) and often light on
// dark; the engine reads dark text of larger sizes best. The factors were
// chosen with `bench/ocr_bench --sweep` (error rates over its whole sample
// set, one pass each).
namespace ocr {

struct PrepareOptions {
  // The height a line's ink band is scaled to, in pixels. Errors on 11 px
  // text and on English: 8.8 % and 1.1 % unscaled, 2.6 % and 0.48 % at 18,
  // 2.4 % and 0.25 % at 26; at 30-36 English gains nothing, Arabic loses
  // (7-11 % against 2.8 %) and time grows.
  double lineHeight = 26;
  // The same for engines whose first model reads Latin or Cyrillic letters,
  // which the caller picks instead: on dialogs at 13 px the spaces beside
  // digits ("2 MB") and short words come back (words found: English 92 % at
  // 26, 96-98 % at 30-34; Russian 84 %, 87 %), prose keeps its figures;
  // Arabic prose doubles its errors there, and Chinese, Japanese and Korean
  // lose too. Russian tables did best at 30 (2.5 % against 2.9 % at 26 and
  // 3.0-3.6 % at 32-34).
  double latinLineHeight = 32;
  double cyrillicLineHeight = 30;
  // Never scaled further than this, nor down.
  double maxScale = 3;
  // Never grown beyond this many pixels: a large capture is scaled less.
  double maxPixels = 24e6;
  // Border added on every side, in prepared pixels, in the ground's grey:
  // on crops cut one pixel from the ink, 12 reads as well as 24, 0 worse.
  int pad = 12;
  // Light text on a dark ground is turned into dark on light. The engine
  // reads it either way, but only after a second, inverted try of each line:
  // 20 % more time over the sample set.
  bool invert = true;
  // Light text on darker patches turned dark too, and the widgets' chrome
  // painted over (ScreenClean.h).
  bool clean = true;
};

// The measurements that decide the preparation, in source pixels.
struct Measure {
  int background = 255;   // the most common grey level
  bool lightOnDark = false;
  double lineHeight = 0;  // median height of the text lines' ink bands; 0 when no ink
  int inkThreshold = 0;   // how much darker than the ground (after inversion) ink is at least
};

// The image in QImage's RGB32 (B, G, R, A bytes in memory), alpha composed
// over white.
QImage opaque(const QImage& source);

// Grey levels of the image: alpha composed over white first.
QImage grey(const QImage& source);

// The background, the polarity and the line height of a grey image.
Measure measure(const QImage& grey8);

struct Prepared {
  QImage image;  // Format_Grayscale8: dark text on a light ground, scaled and padded
  int pad = 0;
  int sourceWidth = 0;
  int sourceHeight = 0;
  int scaledWidth = 0;  // the scaled source within the image, without the border
  int scaledHeight = 0;
  int ground = 255;  // the background's grey level in the image
  Measure measured;
  // The frames of widgets that the cleaning removed, in source pixels with a
  // top-left origin.
  std::vector<QRect> controls;

  bool isNull() const { return image.isNull(); }
  // Prepared pixels per source pixel; the two differ by rounding only.
  double scaleX() const { return sourceWidth > 0 ? double(scaledWidth) / sourceWidth : 1; }
  double scaleY() const { return sourceHeight > 0 ? double(scaledHeight) / sourceHeight : 1; }
  // A box of the prepared image (top-left origin, right and bottom exclusive)
  // in source pixels with a bottom-left origin, clipped to the source.
  PixelRect toSource(int left, int top, int right, int bottom) const;
};

// The image at its own size as the engine should see it: grey, dark text on
// a light ground (`options.invert`), cleaned of widget chrome
// (`options.clean`). A null grey image for a null or empty image.
struct Page {
  QImage grey;  // Format_Grayscale8
  int ground = 255;
  Measure measured;  // line height and ink after the cleaning
  std::vector<QRect> controls;
};
Page page(const QImage& source, const PrepareOptions& options = {});

// A null Prepared for a null or empty image.
Prepared prepare(const QImage& source, const PrepareOptions& options = {});

}  // namespace ocr
