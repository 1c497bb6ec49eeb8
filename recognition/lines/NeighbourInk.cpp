#include "recognition/lines/NeighbourInk.h"

#include <cmath>
#include <opencv2/imgproc.hpp>

namespace ocr {

namespace {

// How far `y` is from the middle of `box`, in the box's heights.
double offMiddle(double y, const QRect& box) {
  return std::abs(y - (box.top() + box.bottom()) / 2.0) / std::max(1, box.height());
}

}  // namespace

void clearNeighbourInk(QImage& part, const QRect& area, const QRect& page, const std::vector<QRect>& boxes, size_t index,
                       int ground, int ink, bool darkInk) {
  if (part.format() != QImage::Format_Grayscale8 || part.isNull() || index >= boxes.size() || ink <= 0) return;
  const QRect& own = boxes[index];
  const cv::Mat pixels(part.height(), part.width(), CV_8U, part.bits(), size_t(part.bytesPerLine()));
  cv::Mat mask;
  if (darkInk) mask = pixels <= ground - ink;
  else mask = pixels >= ground + ink;
  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(mask, labels, stats, centroids, 8, CV_32S);
  if (n <= 1) return;
  // The box's middle row in the page; what crosses it is this line's.
  const int middle = (own.top() + own.bottom()) / 2;
  auto rectOf = [&](int i) {
    return QRect(area.left() + stats.at<int>(i, cv::CC_STAT_LEFT), area.top() + stats.at<int>(i, cv::CC_STAT_TOP),
                 stats.at<int>(i, cv::CC_STAT_WIDTH), stats.at<int>(i, cv::CC_STAT_HEIGHT));
  };
  // The top of the line's letters and their height, from the marks crossing the middle.
  int lettersTop = area.bottom() + 1, lettersBottom = area.top() - 1;
  for (int i = 1; i < n; ++i) {
    const QRect r = rectOf(i);
    if (r.top() > middle || r.bottom() < middle) continue;
    lettersTop = std::min(lettersTop, r.top());
    lettersBottom = std::max(lettersBottom, r.bottom());
  }
  const int lettersHeight = lettersBottom - lettersTop + 1;
  const bool cutAbove = area.top() > page.top();
  const bool cutBelow = area.bottom() < page.bottom();
  for (int i = 1; i < n; ++i) {
    const QRect r = rectOf(i);
    if (r.top() <= middle && r.bottom() >= middle) continue;
    bool other = (cutAbove && r.top() == area.top()) || (cutBelow && r.bottom() == area.bottom());
    const double centre = (r.top() + r.bottom()) / 2.0;
    for (size_t j = 0; j < boxes.size() && !other; ++j) {
      const QRect& b = boxes[j];
      // A line above or below this one, over or under the mark.
      if (j == index || (b.top() <= middle && b.bottom() >= middle)) continue;
      if (b.right() < r.left() || b.left() > r.right() || b.top() > r.top() || b.bottom() < r.bottom()) continue;
      other = offMiddle(centre, b) < offMiddle(centre, own);
    }
    // Half the cut-out wide at least: the strokes of a Hangul syllable or a
    // Han character lie flat above one another too.
    if (!other && lettersHeight > 0 && r.bottom() < lettersTop)
      other = 2 * r.width() >= part.width() && r.width() > lettersHeight && r.width() >= 4 * r.height();
    if (!other) continue;
    const cv::Rect at(stats.at<int>(i, cv::CC_STAT_LEFT), stats.at<int>(i, cv::CC_STAT_TOP), r.width(), r.height());
    pixels(at).setTo(ground, labels(at) == i);
  }
}

}  // namespace ocr
