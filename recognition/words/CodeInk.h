#pragma once
#include <QImage>
#include <QRect>
#include <opencv2/core.hpp>

#include "recognition/base/Result.h"

// What the code repairs (CodeQuotes, CodeBars) look at in the image itself.
namespace ocr {

// `r` (bottom-left origin) as a box of the image's rows (top-left origin).
QRect inImage(const PixelRect& r, int imageHeight);

// The ink of `area` in `grey8`, dark on light or light on dark: the ground
// is what most of the area is. Empty when it has too little contrast.
cv::Mat inkOf(const QImage& grey8, const QRect& area);

// The grey halfway from `ground` to the darkest pixel of `area` (clipped to
// `grey8`): darker is a glyph's ink, not the rim a softened bitmap spreads.
int halfwayToDarkest(const QImage& grey8, const QRect& area, int ground);

}  // namespace ocr
