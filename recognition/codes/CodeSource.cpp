#include "recognition/codes/CodeSource.h"

#include <QSysInfo>
#include <opencv2/imgproc.hpp>

#include "recognition/codes/ImageFilters.h"

namespace Recognizer {

namespace {

bool isBgrx(QImage::Format format) {
  // 32-bit ARGB formats keep B G R A bytes in memory on little-endian machines.
  const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
  return little && (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
                    format == QImage::Format_ARGB32_Premultiplied);
}

cv::Mat wrap(const QImage& image, int type) {
  // The image is never written through this header.
  return cv::Mat(image.height(), image.width(), type, const_cast<uchar*>(image.constBits()),
                 static_cast<size_t>(image.bytesPerLine()));
}

}  // namespace

CodeSource::CodeSource(const QImage& image) {
  if (image.isNull() || image.width() <= 0 || image.height() <= 0) return;
  if (image.format() == QImage::Format_Grayscale8) {
    image_ = image;
    pixels_ = wrap(image_, CV_8UC1);
  } else if (isBgrx(image.format())) {
    image_ = image;
    pixels_ = wrap(image_, CV_8UC4);
  } else {
    // RGBA8888 has the same byte order everywhere; reorder it once.
    image_ = image.convertToFormat(QImage::Format_RGBA8888);
    if (image_.isNull()) return;
    cv::cvtColor(wrap(image_, CV_8UC4), pixels_, cv::COLOR_RGBA2BGRA);
    image_ = QImage();
  }
}

const cv::Mat& CodeSource::grey() const {
  if (grey_.empty() && !pixels_.empty()) grey_ = imagefilter::gray(pixels_, 1.0);
  return grey_;
}

}  // namespace Recognizer
