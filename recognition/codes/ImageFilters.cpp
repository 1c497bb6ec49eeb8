#include "recognition/codes/ImageFilters.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace imagefilter {

namespace {

// The luma weights the code reader itself applies to colour pixels.
constexpr double kRed = 0.299, kGreen = 0.587, kBlue = 0.114;

}  // namespace

cv::Mat gray(const cv::Mat& image, double c) {
  if (image.empty()) return {};
  cv::Mat grey;
  if (image.channels() == 1) {
    grey = image;
  } else {
    cv::cvtColor(image, grey, cv::COLOR_BGRA2GRAY);
  }
  return contrast(grey, c);
}

cv::Mat contrast(const cv::Mat& grey, double c) {
  if (grey.empty() || c == 1.0) return grey;
  cv::Mat out;
  grey.convertTo(out, CV_8U, c, 127.5 * (1.0 - c));
  return out;
}

cv::Mat scaled(const cv::Mat& image, double factor) {
  if (image.empty() || factor == 1.0) return image;
  if (!(factor > 0) || !std::isfinite(factor)) return {};
  // The scaled extent rounded outward: a partial column on the right, a
  // partial row on top (the extent grows from the bottom-left corner).
  const int width = static_cast<int>(std::ceil(image.cols * factor - 1e-9));
  const int height = static_cast<int>(std::ceil(image.rows * factor - 1e-9));
  cv::Mat out;
  // Given the factor (not a size) the resampling keeps exactly that scale.
  cv::resize(image, out, cv::Size(), factor, factor, cv::INTER_LANCZOS4);
  const int right = std::max(0, width - out.cols);
  const int top = std::max(0, height - out.rows);
  if (right > 0 || top > 0) cv::copyMakeBorder(out, out, top, 0, 0, right, cv::BORDER_REPLICATE);
  if (out.cols > width || out.rows > height) out = out(cv::Rect(0, out.rows - height, width, height)).clone();
  return out;
}

cv::Mat blur(const cv::Mat& grey, double radius) {
  if (grey.empty()) return {};
  if (!(radius > 0)) return grey.clone();
  cv::Mat out;
  cv::GaussianBlur(grey, out, cv::Size(), radius, radius, cv::BORDER_REPLICATE);
  return out;
}

cv::Mat join(const cv::Mat& grey, double radius) {
  if (grey.empty()) return {};
  const int r = static_cast<int>(std::lround(radius));
  if (r < 1) return grey.clone();
  cv::Mat out;
  const cv::Mat disc = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * r + 1, 2 * r + 1));
  cv::erode(grey, out, disc, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
  return out;
}

cv::Mat otsu(const cv::Mat& grey) {
  if (grey.empty()) return {};
  cv::Mat out;
  cv::threshold(grey, out, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
  return out;
}

cv::Mat invert(const cv::Mat& grey) {
  if (grey.empty()) return {};
  cv::Mat out;
  cv::bitwise_not(grey, out);
  return out;
}

cv::Mat maximumComponent(const cv::Mat& image, double factor) {
  if (image.empty()) return {};
  if (image.channels() == 1) return factor == 1.0 ? image.clone() : scaled(image, factor);
  cv::Mat planes[4];
  cv::split(image, planes);
  cv::Mat out = scaled(planes[0], factor);
  if (out.empty()) return {};
  cv::max(out, scaled(planes[1], factor), out);
  cv::max(out, scaled(planes[2], factor), out);
  return out;
}

std::optional<double> areaAverage(const cv::Mat& image, cv::Rect rect) {
  if (image.empty()) return std::nullopt;
  rect &= cv::Rect(0, 0, image.cols, image.rows);
  if (rect.empty()) return std::nullopt;
  const cv::Scalar mean = cv::mean(image(rect));
  if (image.channels() == 1) return mean[0];
  return kBlue * mean[0] + kGreen * mean[1] + kRed * mean[2];
}

}  // namespace imagefilter
