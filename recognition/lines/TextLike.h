#pragma once
#include <QImage>
#include <QRect>
#include <vector>

// Where an image may hold text, found cheaply before the engine runs: marks
// that stand out from the ground around them, of a glyph's size, in rows
// (or alone on a quiet ground, as a spin box's digit). Noise, photographs
// and blank areas have none; the engine spends most of its time on them and
// reads junk there.
namespace ocr {

struct TextLikeOptions {
  int block = 32;         // the ground is the most common grey of each block this wide
  int contrast = 40;      // how far from the ground a mark is
  int minHeight = 5;      // marks lower than this are dots and specks
  int maxHeight = 160;    // taller ones are pictures, frames or noise fused together
  double quiet = 0.6;     // a lone mark counts where this share of what lies around it is one grey
};

// The regions (source pixels, top-left origin) around the image's text-like
// marks, padded and merged; empty when there are none.
std::vector<QRect> textLikeRegions(const QImage& grey8, const TextLikeOptions& options = {});

// The image reduced to its text-like regions: the rest painted in the most
// common grey, so that the engine spends nothing on pictures and noise. A null
// image when nothing in it looks like text; the image itself when the regions
// cover most of it or it is small (a picked word or digit is read as it is).
QImage textLikeOnly(const QImage& image);

// The same; when a library under it throws, the whole image, logged once.
QImage textLikeOnlyGuarded(const QImage& image);

}  // namespace ocr
