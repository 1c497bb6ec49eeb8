#pragma once
#include <opencv2/core.hpp>
#include <optional>

// The named filters of the thorough code pass. Inputs are 8-bit images, grey
// (one channel) or colour (four channels, B G R X); every output is 8-bit grey
// unless said otherwise. No filter writes into its input; an output may share
// the input's pixels where the filter leaves them as they are.
namespace imagefilter {

// Luma of the image with its contrast multiplied by `contrast` about mid grey.
cv::Mat gray(const cv::Mat& image, double contrast);

// Contrast about mid grey of a grey image; the image itself at 1.0.
cv::Mat contrast(const cv::Mat& grey, double contrast);

// Lanczos resampling by `factor` in both directions (grey or colour). The size
// is rounded outward, as a rendering of the scaled extent would be; the image
// itself comes back when the factor is exactly 1.
cv::Mat scaled(const cv::Mat& image, double factor);

// Gaussian blur with standard deviation `radius`, edges extended, same size.
cv::Mat blur(const cv::Mat& grey, double radius);

// Minimum over a disc of `radius` (grey erosion: dark marks grow and close
// their gaps), edges extended, same size.
cv::Mat join(const cv::Mat& grey, double radius);

// Binarisation at the Otsu threshold: 0 or 255.
cv::Mat otsu(const cv::Mat& grey);

cv::Mat invert(const cv::Mat& grey);

// The largest of the colour components of each pixel of the image scaled by
// `factor` as `scaled` does; a grey image scaled as it is. Each component is
// scaled on its own: the values of scaling the colour image, to the bit,
// without the work of scaling its alpha and splitting the enlarged image.
cv::Mat maximumComponent(const cv::Mat& image, double factor = 1.0);

// Mean luma over `rect` (top-left pixel coordinates), clipped to the image;
// none when nothing of the rectangle lies inside.
std::optional<double> areaAverage(const cv::Mat& image, cv::Rect rect);

}  // namespace imagefilter
