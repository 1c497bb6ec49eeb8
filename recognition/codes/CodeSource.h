#pragma once
#include <QImage>
#include <opencv2/core.hpp>

namespace Recognizer {

// The picked image as the code passes read it. Grey and 32-bit images are
// wrapped without a copy (bytesPerLine() is the row stride: rows are padded);
// other formats are converted once. The grey form is made on first use and
// kept for the passes over the same image. Used by one thread at a time.
class CodeSource {
 public:
  explicit CodeSource(const QImage& image);

  int width() const { return pixels_.cols; }
  int height() const { return pixels_.rows; }
  bool isEmpty() const { return pixels_.empty(); }

  // 8-bit grey (one channel) or colour (four channels in the order B G R X).
  const cv::Mat& pixels() const { return pixels_; }
  // The luma of every pixel, at the contrast of the image.
  const cv::Mat& grey() const;

 private:
  QImage image_;  // owns the pixels that pixels_ points into
  cv::Mat pixels_;
  mutable cv::Mat grey_;
};

}  // namespace Recognizer
