#include "recognition/codes/CodeDetect.h"

#include <ZXing/ReadBarcode.h>

#include <QString>
#include <algorithm>
#include <cmath>
#include <future>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>

#include "recognition/codes/BarExtent.h"
#include "recognition/codes/FinderPatterns.h"
#include "recognition/codes/MatrixCandidates.h"
#include "recognition/codes/SlantedBars.h"

namespace Recognizer {

namespace {

using ZXing::BarcodeFormat;

// The one-dimensional symbologies (UPC-A and DataBar among them); a code of
// any other kind counts as QR.
bool isLinear(BarcodeFormat format) { return ZXing::BarcodeFormats(BarcodeFormat::LinearCodes).testFlag(format); }
// The two-dimensional symbologies read, several at once (their results are
// compared by position only, so a multi-symbol read is safe), in two reads
// that run side by side. Left out: Micro QR, whose detector asserts
// (RegressionLine.h:144, intersect) on some turned or photographed codes with
// either binarizer (measured: 3 of 1,500 fuzzed reads), and MaxiCode, read
// only from a pure symbol filling the image.
constexpr auto kFinderCodes = BarcodeFormat::QRCode | BarcodeFormat::PDF417;
constexpr auto kCentreCodes = BarcodeFormat::DataMatrix | BarcodeFormat::Aztec;
// Codes read one at a time before giving up on more in the same image.
constexpr int kMaxLinear = 12;
// Areas read again for DataMatrix and Aztec symbols away from the middle.
constexpr int kMaxCandidates = 6;
// Areas of slanted bars turned upright and read again.
constexpr int kMaxSlanted = 4;
// The reads run side by side on images up to this many pixels (an 8K screen).
constexpr double kBesideUpTo = 34e6;

struct Hit {
  std::string text;
  PixelRect rect;  // top-left origin here
  bool linear = false;
};

// An image the reads share, and whether its pixels are all black (0) or
// white (255), as a thresholded variant's are.
struct Picture {
  cv::Mat grey;
  bool twoLevel = false;
  std::vector<cv::Rect> cells;  // where QR codes are read, when not in the whole image
};

// A read of `formats`. On a two-level picture the library takes each pixel
// as it is (black where 0): the bits its own thresholds give there, without
// thresholding again (the reads of a thresholded variant took 40 % less
// time).
ZXing::DecodeHints hintsFor(ZXing::BarcodeFormats formats, bool twoLevel) {
  auto hints = ZXing::DecodeHints().setFormats(formats);
  if (twoLevel) hints.setBinarizer(ZXing::Binarizer::BoolCast);
  return hints;
}

ZXing::ImageView view(const cv::Mat& grey) {
  return {grey.data, grey.cols, grey.rows, ZXing::ImageFormat::Lum, static_cast<int>(grey.step[0])};
}

// The library's own reads can throw on images it cannot take (too large).
template <typename Read>
auto guarded(Read read) -> decltype(read()) {
  try {
    return read();
  } catch (...) {
    return {};
  }
}

PixelRect boxOf(const ZXing::Position& p) {
  int minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
  for (const auto& c : p) {
    minX = std::min(minX, c.x), maxX = std::max(maxX, c.x);
    minY = std::min(minY, c.y), maxY = std::max(maxY, c.y);
  }
  return {double(minX), double(minY), double(maxX - minX), double(maxY - minY)};
}

// Corners of a linear code are indices of its outermost bar pixels: the box
// reaches one pixel past the largest.
PixelRect boxOf(const BarCorners& c) {
  float minX = c[0].x, maxX = c[0].x, minY = c[0].y, maxY = c[0].y;
  for (const auto& p : c) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  const double left = std::floor(minX), top = std::floor(minY);
  return {left, top, std::floor(maxX) + 1 - left, std::floor(maxY) + 1 - top};
}

cv::Point2f point(ZXing::PointI p) { return {float(p.x), float(p.y)}; }

bool overlaps(const PixelRect& a, const PixelRect& b) {
  return a.minX() <= b.maxX() && b.minX() <= a.maxX() && a.minY() <= b.maxY() && b.minY() <= a.maxY();
}

PixelRect united(const PixelRect& a, const PixelRect& b) {
  const double x = std::min(a.minX(), b.minX()), y = std::min(a.minY(), b.minY());
  return {x, y, std::max(a.maxX(), b.maxX()) - x, std::max(a.maxY(), b.maxY()) - y};
}

// Linear codes are read one symbol at a time and erased before the next read.
// Reading several at once (ReadBarcodes) makes this library abort the process
// (Result.cpp:140, `lineCount() == 1`) whenever one linear payload turns up
// twice: two equal codes on the screen, or one code found at full size and
// again in its downscaled pass. No hint avoids both; a single read never
// compares two results.
std::vector<Hit> readLinear(const Picture& picture) {
  // Erasing paints white: a two-level picture stays two-level.
  const auto hints = hintsFor(BarcodeFormat::LinearCodes, picture.twoLevel);
  const cv::Mat& grey = picture.grey;
  std::vector<Hit> hits;
  cv::Mat work = grey;
  for (int i = 0; i < kMaxLinear; ++i) {
    const ZXing::Result r = guarded([&] { return ZXing::ReadBarcode(view(work), hints); });
    if (!r.isValid()) break;
    const auto& p = r.position();
    const BarCorners corners = barExtent(work, point(p.topLeft()), point(p.topRight()));
    const Hit hit{r.text(), boxOf(corners), true};
    // What an erasure left of a code is the same code, not another one.
    auto same = std::find_if(hits.begin(), hits.end(),
                             [&](const Hit& h) { return h.text == hit.text && overlaps(h.rect, hit.rect); });
    if (same != hits.end()) {
      same->rect = united(same->rect, hit.rect);
    } else {
      hits.push_back(hit);
    }
    if (work.data == grey.data) work = grey.clone();
    eraseBars(work, corners);
  }
  return hits;
}

// A slanted area cut out and turned so that its bars stand upright, and the
// way back to the image it came from.
struct Upright {
  cv::Mat image;
  cv::Matx23d back;
};

Upright upright(const cv::Mat& grey, const SlantedArea& area) {
  const int margin = std::max(area.box.width, area.box.height) / 4 + 8;
  const cv::Rect box =
      (area.box - cv::Point(margin, margin) + cv::Size(2 * margin, 2 * margin)) & cv::Rect(0, 0, grey.cols, grey.rows);
  const double rad = area.degrees * CV_PI / 180, c = std::abs(std::cos(rad)), s = std::abs(std::sin(rad));
  const cv::Size size(static_cast<int>(box.width * c + box.height * s) + 1,
                      static_cast<int>(box.width * s + box.height * c) + 1);
  const cv::Point2f centre(box.x + box.width / 2.f, box.y + box.height / 2.f);
  cv::Mat turn = cv::getRotationMatrix2D(centre, area.degrees, 1.0);
  turn.at<double>(0, 2) += size.width / 2.0 - centre.x;
  turn.at<double>(1, 2) += size.height / 2.0 - centre.y;
  Upright u;
  cv::warpAffine(grey, u.image, turn, size, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
  cv::Mat back;
  cv::invertAffineTransform(turn, back);
  u.back = back;
  return u;
}

// Linear codes turned too far for reads along rows and columns.
void readSlanted(const cv::Mat& grey, std::vector<Hit>& hits) {
  const auto hints = ZXing::DecodeHints().setFormats(BarcodeFormat::LinearCodes).setTryRotate(false);
  for (const SlantedArea& area : slantedBars(grey, kMaxSlanted)) {
    const Upright u = upright(grey, area);
    const ZXing::Result r = guarded([&] { return ZXing::ReadBarcode(view(u.image), hints); });
    if (!r.isValid()) continue;
    if (std::any_of(hits.begin(), hits.end(), [&](const Hit& h) { return h.text == r.text(); })) continue;
    const auto& p = r.position();
    BarCorners corners = barExtent(u.image, point(p.topLeft()), point(p.topRight()));
    for (cv::Point2f& c : corners) {
      const cv::Vec2d mapped = u.back * cv::Vec3d(c.x, c.y, 1);
      c = cv::Point2f(static_cast<float>(mapped[0]), static_cast<float>(mapped[1]));
    }
    hits.push_back({r.text(), boxOf(corners), true});
  }
}

std::vector<Hit> readAll(const cv::Mat& grey, const ZXing::DecodeHints& hints) {
  std::vector<Hit> hits;
  for (const ZXing::Result& r : guarded([&] { return ZXing::ReadBarcodes(view(grey), hints); })) {
    if (!r.isValid()) continue;
    hits.push_back({r.text(), boxOf(r.position()), isLinear(r.format())});
  }
  return hits;
}

// DataMatrix and Aztec symbols away from the middle of the image, read in
// areas around compact blobs of ink; those the whole read found are left out.
std::vector<Hit> readCandidates(const Picture& picture, const std::vector<Hit>& known) {
  const auto hints = hintsFor(kCentreCodes, picture.twoLevel);
  const cv::Mat& grey = picture.grey;
  std::vector<Hit> hits;
  for (const cv::Rect& area : matrixCandidates(grey, kMaxCandidates)) {
    for (Hit hit : readAll(grey(area), hints)) {
      hit.rect.x += area.x;
      hit.rect.y += area.y;
      auto seen = [&](const Hit& h) { return h.text == hit.text && overlaps(h.rect, hit.rect); };
      if (std::none_of(known.begin(), known.end(), seen) && std::none_of(hits.begin(), hits.end(), seen))
        hits.push_back(hit);
    }
  }
  return hits;
}

// Asked of every image before its reads start: it stops at the first grey
// pixel, which a screenshot has in its first rows.
bool isTwoLevel(const cv::Mat& grey) {
  for (int y = 0; y < grey.rows; ++y) {
    const uchar* row = grey.ptr<uchar>(y);
    if (std::any_of(row, row + grey.cols, [](uchar v) { return v != 0 && v != 255; })) return false;
  }
  return true;
}

void append(std::vector<Code>& codes, const std::vector<Hit>& hits, int height, const BackMap& back, bool forceQR) {
  for (const Hit& hit : hits) {
    const QString payload = text::trimWhitespaceAndNewlines(QString::fromStdString(hit.text));
    if (payload.isEmpty()) continue;
    const PixelRect& r = hit.rect;
    const PixelRect bottomLeft = PixelRect::fromTopLeft(r.x, r.y, r.width, r.height, height);
    codes.push_back({back ? back(bottomLeft) : bottomLeft, payload, forceQR || !hit.linear});
  }
}

std::vector<Hit> readEveryLinear(const Picture& picture) {
  std::vector<Hit> hits = readLinear(picture);
  // Turned upright, the bars are resampled: grey again, thresholded anew.
  readSlanted(picture.grey, hits);
  return hits;
}

// QR codes read cell by cell (FinderPatterns.h), side by side; a code read
// in two overlapping cells counts once.
std::vector<Hit> readCells(const Picture& picture, const ZXing::DecodeHints& hints) {
  const std::vector<cv::Rect>& cells = picture.cells;
  const size_t threads = std::min<size_t>(4, cells.size());
  std::vector<std::future<std::vector<Hit>>> parts;
  for (size_t t = 0; t < threads; ++t) {
    parts.push_back(std::async(std::launch::async, [&, t] {
      std::vector<Hit> hits;
      for (size_t i = t; i < cells.size(); i += threads) {
        for (Hit hit : readAll(picture.grey(cells[i]), hints)) {
          hit.rect.x += cells[i].x;
          hit.rect.y += cells[i].y;
          hits.push_back(hit);
        }
      }
      return hits;
    }));
  }
  std::vector<Hit> hits;
  for (auto& part : parts) {
    for (const Hit& hit : part.get()) {
      const bool seen = std::any_of(hits.begin(), hits.end(),
                                    [&](const Hit& h) { return h.text == hit.text && overlaps(h.rect, hit.rect); });
      if (!seen) hits.push_back(hit);
    }
  }
  return hits;
}

std::vector<Hit> readSecondOpinion(const Picture& picture) {
  // A global threshold reads faint QR codes that the local one rejects as flat;
  // on a thresholded image it has nothing to add.
  if (picture.twoLevel) return {};
  const auto hints =
      ZXing::DecodeHints().setFormats(BarcodeFormat::QRCode).setBinarizer(ZXing::Binarizer::GlobalHistogram);
  return picture.cells.empty() ? readAll(picture.grey, hints) : readCells(picture, hints);
}

std::vector<Hit> readFinderCodes(const Picture& picture) {
  if (picture.cells.empty()) return readAll(picture.grey, hintsFor(kFinderCodes, picture.twoLevel));
  std::vector<Hit> hits = readCells(picture, hintsFor(BarcodeFormat::QRCode, picture.twoLevel));
  const std::vector<Hit> more = readAll(picture.grey, hintsFor(BarcodeFormat::PDF417, picture.twoLevel));
  hits.insert(hits.end(), more.begin(), more.end());
  return hits;
}

// DataMatrix and Aztec over the whole image, then around candidate areas.
std::vector<Hit> readCentreCodes(const Picture& picture) {
  std::vector<Hit> hits = readAll(picture.grey, hintsFor(kCentreCodes, picture.twoLevel));
  const std::vector<Hit> more = readCandidates(picture, hits);
  hits.insert(hits.end(), more.begin(), more.end());
  return hits;
}

// Runs a read on a thread of its own while the caller does another; inline
// when no thread can be had.
std::future<std::vector<Hit>> beside(std::vector<Hit> (*read)(const Picture&), const Picture& picture) {
  try {
    // Each read holds copies of the image the library makes (thresholded,
    // scaled down, turned): on a strip of screens four of them at once would
    // hold more than the rest of the recognition; they take turns there.
    if (double(picture.grey.total()) > kBesideUpTo) return std::async(std::launch::deferred, read, picture);
    return std::async(std::launch::async, read, picture);
  } catch (...) {
    return std::async(std::launch::deferred, read, picture);
  }
}

}  // namespace

std::vector<Code> detect(const cv::Mat& grey, const BackMap& back) {
  std::vector<Code> codes;
  if (grey.empty() || grey.type() != CV_8UC1) return codes;
  // The reads are independent and run side by side. The second opinion counts
  // only when the others find nothing; that is the common case, so it starts
  // at once too.
  const Picture picture{grey, isTwoLevel(grey), codeCells(grey.size(), finderPatterns(grey))};
  auto linear = beside(readEveryLinear, picture);
  auto centre = beside(readCentreCodes, picture);
  auto second = beside(readSecondOpinion, picture);
  const std::vector<Hit> finder = readFinderCodes(picture);
  append(codes, linear.get(), grey.rows, back, false);
  append(codes, finder, grey.rows, back, false);
  append(codes, centre.get(), grey.rows, back, false);
  const std::vector<Hit> qr = second.get();
  if (codes.empty()) append(codes, qr, grey.rows, back, true);
  return codes;
}

}  // namespace Recognizer
