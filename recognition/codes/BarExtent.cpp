#include "recognition/codes/BarExtent.h"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>
#include <vector>

namespace Recognizer {

namespace {

// Neighbouring rows of one code are near copies of each other: a row joins
// while it correlates this well with the last row that joined, and the walk
// bridges this many rows that do not (noise, a scratch). Rows flatter than
// kMinSpread are quiet zone or background.
constexpr double kSame = 0.75;
constexpr int kGap = 2;
constexpr double kMinSpread = 6;

float sample(const cv::Mat& grey, cv::Point2f p) {
  const float x = std::clamp(p.x, 0.f, static_cast<float>(grey.cols - 1));
  const float y = std::clamp(p.y, 0.f, static_cast<float>(grey.rows - 1));
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, grey.cols - 1), y1 = std::min(y0 + 1, grey.rows - 1);
  const float fx = x - x0, fy = y - y0;
  const float top = grey.at<uchar>(y0, x0) * (1 - fx) + grey.at<uchar>(y0, x1) * fx;
  const float bottom = grey.at<uchar>(y1, x0) * (1 - fx) + grey.at<uchar>(y1, x1) * fx;
  return top * (1 - fy) + bottom * fy;
}

bool inside(const cv::Mat& grey, cv::Point2f p) {
  return p.x >= 0 && p.y >= 0 && p.x <= grey.cols - 1 && p.y <= grey.rows - 1;
}

// Samples one pixel apart from `from` along `u`, centred on their mean.
struct Row {
  std::vector<float> values;
  double norm = 0;  // root of the sum of squares after centring
  bool ok = false;
};

Row rowAt(const cv::Mat& grey, cv::Point2f from, cv::Point2f u, int n) {
  Row row;
  if (!inside(grey, from) || !inside(grey, from + u * static_cast<float>(n - 1))) return row;
  row.values.resize(n);
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += row.values[i] = sample(grey, from + u * static_cast<float>(i));
  const float mean = static_cast<float>(sum / n);
  double squares = 0;
  for (float& v : row.values) {
    v -= mean;
    squares += v * v;
  }
  row.norm = std::sqrt(squares);
  row.ok = row.norm / std::sqrt(double(n)) >= kMinSpread;
  return row;
}

double correlation(const Row& a, const Row& b) {
  double dot = 0;
  for (size_t i = 0; i < a.values.size(); ++i) dot += a.values[i] * b.values[i];
  return dot / (a.norm * b.norm);
}

struct Reach {
  int rows = 0;     // how far the bars go
  float shift = 0;  // how far along the line they have drifted by then (a turned code)
};

Reach reach(const cv::Mat& grey, cv::Point2f a, cv::Point2f u, cv::Point2f normal, int n, const Row& first) {
  Reach best;
  Row previous = first;
  float shift = 0;
  int misses = 0;
  const int limit = grey.cols + grey.rows;
  for (int d = 1; d < limit && misses <= kGap; ++d) {
    double top = -1;
    float topShift = shift;
    Row topRow;
    for (const float s : {shift, shift - 0.5f, shift + 0.5f}) {
      Row row = rowAt(grey, a + normal * static_cast<float>(d) + u * s, u, n);
      if (!row.ok) continue;
      const double c = correlation(previous, row);
      if (c > top) top = c, topShift = s, topRow = std::move(row);
    }
    if (top >= kSame) {
      best = {d, topShift};
      shift = topShift;
      previous = std::move(topRow);
      misses = 0;
    } else {
      ++misses;
    }
  }
  return best;
}

std::array<cv::Point, 4> erasedArea(const BarCorners& c) {
  const cv::Point2f along = c[1] - c[0];
  const float length = std::hypot(along.x, along.y);
  const cv::Point2f across = c[3] - c[0];
  const float height = std::hypot(across.x, across.y);
  const cv::Point2f u = length > 0 ? along / length : cv::Point2f(1, 0);
  const cv::Point2f n = height > 0 ? across / height : cv::Point2f(-u.y, u.x);
  // Part of the quiet zone goes too, so that no stray bar is left to decode;
  // a code whose height could not be measured loses a band around its line.
  const cv::Point2f du = u * (0.08f * length + 3), dn = n * std::max(3.f, 0.05f * length - height / 2);
  auto rounded = [](cv::Point2f p) {
    return cv::Point(static_cast<int>(std::lround(p.x)), static_cast<int>(std::lround(p.y)));
  };
  return {rounded(c[0] - du - dn), rounded(c[1] + du - dn), rounded(c[2] + du + dn), rounded(c[3] - du + dn)};
}

}  // namespace

BarCorners barExtent(const cv::Mat& grey, cv::Point2f start, cv::Point2f end) {
  BarCorners line{start, end, end, start};
  const cv::Point2f along = end - start;
  const float length = std::hypot(along.x, along.y);
  if (grey.empty() || length < 4) return line;
  const cv::Point2f u = along / length;
  const int n = static_cast<int>(length) + 1;
  const Row first = rowAt(grey, start, u, n);
  if (!first.ok) return line;
  const cv::Point2f normal(-u.y, u.x);
  const Reach up = reach(grey, start, u, -normal, n, first);
  const Reach down = reach(grey, start, u, normal, n, first);
  const cv::Point2f top = -normal * static_cast<float>(up.rows) + u * up.shift;
  const cv::Point2f bottom = normal * static_cast<float>(down.rows) + u * down.shift;
  return {start + top, end + top, end + bottom, start + bottom};
}

void eraseBars(cv::Mat& grey, const BarCorners& corners) {
  const auto area = erasedArea(corners);
  cv::fillConvexPoly(grey, area.data(), static_cast<int>(area.size()), cv::Scalar(255));
}

}  // namespace Recognizer
