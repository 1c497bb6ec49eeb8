#pragma once
// Screen-like test images with barcodes and QR codes made by the code
// library's own writer, so that every payload and box is known exactly.
// Shared by the code tests and bench/code_bench.cpp; needs a QGuiApplication
// (text is drawn with installed fonts).
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QString>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "recognition/base/Result.h"

namespace codeimages {

using ZXing::BarcodeFormat;

inline bool isLinear(BarcodeFormat f) { return ZXing::BarcodeFormats(BarcodeFormat::LinearCodes).testFlag(f); }

// The symbol at one pixel per module, without a quiet zone. Linear codes come
// back one row high.
inline ZXing::BitMatrix encode(BarcodeFormat format, const std::string& payload) {
  return ZXing::MultiFormatWriter(format).setMargin(0).encode(payload, 0, 0);
}

// Where a code was drawn: its modules' box in bottom-left pixels, and the
// module size in pixels.
struct Drawn {
  PixelRect rect;
  double module = 0;
};

// How far the furthest edge of a found box lies from the drawn one, in pixels.
inline double offBy(const PixelRect& found, const PixelRect& drawn) {
  return std::max({std::abs(found.minX() - drawn.minX()), std::abs(found.maxX() - drawn.maxX()),
                   std::abs(found.minY() - drawn.minY()), std::abs(found.maxY() - drawn.maxY())});
}

inline const Code* find(const std::vector<Code>& codes, const QString& payload) {
  for (const Code& c : codes)
    if (c.payload == payload) return &c;
  return nullptr;
}

// A page of a screen: a plain background with lines of UI text.
inline QImage page(int width, int height, QColor background = QColor(250, 250, 250), QColor ink = QColor(40, 40, 40),
                   quint32 seed = 1) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(background);
  QPainter p(&image);
  p.setRenderHint(QPainter::TextAntialiasing);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(14);
  p.setFont(font);
  p.setPen(ink);
  static const char* words[] = {"Invoice",  "total", "Scan", "to",     "pay",  "order", "12345", "shipping",  "address",
                                "Settings", "Open",  "link", "ticket", "gate", "B12",   "seat",  "reference", "—"};
  QRandomGenerator rng(seed);
  for (int y = 24; y < height - 8; y += 22) {
    QString line;
    const int count = 4 + rng.bounded(8);
    for (int i = 0; i < count; ++i) line += QString::fromUtf8(words[rng.bounded(18)]) + QLatin1Char(' ');
    p.drawText(12 + rng.bounded(40), y, line);
    if (width > 700) p.drawText(width / 2 + rng.bounded(40), y, line);
  }
  return image;
}

// Draws the symbol with its modules' top-left corner at (x, y): `module`
// pixels per module, linear bars `barHeight` high, on a quiet zone of ten
// modules in `background`.
inline Drawn draw(QImage& image, const ZXing::BitMatrix& m, int x, int y, int module, int barHeight = 0,
                  QColor ink = Qt::black, QColor background = Qt::white) {
  const bool linear = m.height() == 1;
  const int w = m.width() * module, h = linear ? barHeight : m.height() * module;
  const int quiet = 10 * module;
  QPainter p(&image);
  p.fillRect(x - quiet, y - quiet, w + 2 * quiet, h + 2 * quiet, background);
  for (int row = 0; row < m.height(); ++row) {
    for (int col = 0; col < m.width(); ++col) {
      if (m.get(col, row)) p.fillRect(x + col * module, y + row * module, module, linear ? h : module, ink);
    }
  }
  return {PixelRect::fromTopLeft(x, y, w, h, image.height()), double(module)};
}

// A symbol drawn large and scaled smoothly down (or up) to `width` pixels
// wide, pasted with its top-left at (x, y): modules that do not fall on whole
// pixels, as on a scaled web page.
inline Drawn drawScaled(QImage& image, const ZXing::BitMatrix& m, int x, int y, double width, int barHeight = 0) {
  const int big = 16;
  QImage symbol(m.width() * big + 20 * big, (m.height() == 1 ? barHeight * big / 4 : m.height() * big) + 20 * big,
                QImage::Format_RGB32);
  symbol.fill(Qt::white);
  draw(symbol, m, 10 * big, 10 * big, big, barHeight * big / 4);
  const double scale = width / (m.width() * big);
  const QImage small = symbol.scaled(std::lround(symbol.width() * scale), std::lround(symbol.height() * scale),
                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  const int offset = std::lround(10 * big * scale);
  QPainter(&image).drawImage(x - offset, y - offset, small);
  const double h = (small.height() - 2 * offset);
  return {PixelRect::fromTopLeft(x, y, width, h, image.height()), width / m.width()};
}

// A window's face with two QR codes side by side and a line of text under
// them, as a sign-in or a network page shows them.
inline QImage twoCodesWithCaption(const std::string& left, const std::string& right, const QString& caption) {
  QImage image(620, 360, QImage::Format_RGB32);
  image.fill(QColor(246, 246, 246));
  draw(image, encode(BarcodeFormat::QRCode, left), 60, 60, 5);
  draw(image, encode(BarcodeFormat::QRCode, right), 360, 60, 5);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(16);
  p.setFont(font);
  p.setPen(QColor(40, 40, 40));
  p.drawText(60, 320, caption);
  return image;
}

// Draws the symbol turned by `degrees` about its centre, placed at (cx, cy).
// Returns the box of the turned modules.
inline Drawn drawRotated(QImage& image, const ZXing::BitMatrix& m, int cx, int cy, int module, double degrees,
                         int barHeight = 0) {
  const bool linear = m.height() == 1;
  const int w = m.width() * module, h = linear ? barHeight : m.height() * module;
  QImage symbol(w + 20 * module, h + 20 * module, QImage::Format_RGB32);
  symbol.fill(Qt::white);
  draw(symbol, m, 10 * module, 10 * module, module, barHeight);
  QPainter p(&image);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.setRenderHint(QPainter::Antialiasing);
  p.translate(cx, cy);
  p.rotate(degrees);
  p.drawImage(-symbol.width() / 2, -symbol.height() / 2, symbol);
  const QRectF turned = QTransform().rotate(degrees).mapRect(QRectF(-w / 2.0, -h / 2.0, w, h));
  return {PixelRect::fromTopLeft(cx + turned.x(), cy + turned.y(), turned.width(), turned.height(), image.height()),
          double(module)};
}

// Grey copy as an OpenCV matrix, and back.
inline cv::Mat toMat(const QImage& image) {
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  return cv::Mat(grey.height(), grey.width(), CV_8UC1, const_cast<uchar*>(grey.constBits()),
                 static_cast<size_t>(grey.bytesPerLine()))
      .clone();
}

inline QImage toImage(const cv::Mat& grey) {
  QImage image(grey.cols, grey.rows, QImage::Format_Grayscale8);
  for (int y = 0; y < grey.rows; ++y) std::memcpy(image.scanLine(y), grey.ptr(y), grey.cols);
  return image;
}

inline QImage blurred(const QImage& image, double sigma) {
  cv::Mat m = toMat(image);
  cv::GaussianBlur(m, m, cv::Size(), sigma, sigma, cv::BORDER_REPLICATE);
  return toImage(m);
}

// A camera's view of the page: a slight perspective, uneven light, defocus
// and sensor noise.
inline QImage photographed(const QImage& image, double blurSigma = 1.2, double noise = 8, quint32 seed = 7) {
  cv::Mat m = toMat(image);
  const float w = float(m.cols), h = float(m.rows);
  const cv::Point2f from[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  const cv::Point2f to[4] = {{w * 0.03f, h * 0.05f}, {w * 0.98f, 0}, {w, h * 0.97f}, {0, h * 0.93f}};
  cv::warpPerspective(m, m, cv::getPerspectiveTransform(from, to), m.size(), cv::INTER_LINEAR, cv::BORDER_REPLICATE);
  cv::Mat light(m.size(), CV_32F);
  for (int y = 0; y < m.rows; ++y)
    for (int x = 0; x < m.cols; ++x) light.at<float>(y, x) = 0.75f + 0.25f * float(x) / w;
  cv::Mat f;
  m.convertTo(f, CV_32F);
  f = f.mul(light);
  cv::GaussianBlur(f, f, cv::Size(), blurSigma, blurSigma, cv::BORDER_REPLICATE);
  cv::Mat n(m.size(), CV_32F);
  cv::RNG rng(seed);
  rng.fill(n, cv::RNG::NORMAL, 0, noise);
  f += n;
  f.convertTo(m, CV_8U);
  return toImage(m);
}

}  // namespace codeimages
