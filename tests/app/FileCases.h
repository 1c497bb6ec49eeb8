#pragma once
// Files "-read" meets when a user is unlucky or hostile: valid images of each
// format, the same damaged or cut short, and pictures around the size limit.
// Shared by the program's tests and bench/read_bench.cpp; needs a QGuiApplication.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>

namespace filecases {

inline QByteArray encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter(&buffer, format).write(image);
  return bytes;
}

// A white picture, cheap to encode at any size.
inline QImage blank(int width, int height, QImage::Format format = QImage::Format_RGB32) {
  QImage image(width, height, format);
  image.fill(format == QImage::Format_Mono ? 1 : 0xFFFFFFFF);
  return image;
}

// Random grey pixels, the same for every run: no text or code in it, and every
// pass of the recognition finds something to look at.
inline QImage noise(int width, int height) {
  QImage image(width, height, QImage::Format_Grayscale8);
  quint32 state = 2463534242u;
  for (int y = 0; y < height; ++y) {
    uchar* line = image.scanLine(y);
    for (int x = 0; x < width; ++x) {
      state ^= state << 13, state ^= state >> 17, state ^= state << 5;  // xorshift32
      line[x] = uchar(state >> 24);
    }
  }
  return image;
}

// A photograph without text or codes: sky, ground, soft blobs and sensor noise.
inline QImage photo(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter p(&image);
  QLinearGradient ground(0, 0, 0, height);
  ground.setColorAt(0, QColor(90, 140, 210));
  ground.setColorAt(0.6, QColor(200, 220, 240));
  ground.setColorAt(1, QColor(60, 110, 50));
  p.fillRect(image.rect(), ground);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  QRandomGenerator rng(7);
  for (int k = 0; k < 60; ++k) {
    QRadialGradient blob(rng.bounded(width), rng.bounded(height), 20 + rng.bounded(width / 6));
    QColor c(rng.bounded(256), rng.bounded(256), rng.bounded(256), 140);
    blob.setColorAt(0, c);
    c.setAlpha(0);
    blob.setColorAt(1, c);
    p.setBrush(blob);
    p.drawEllipse(blob.center(), blob.radius(), blob.radius() * 0.7);
  }
  p.end();
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      const int n = int(rng.bounded(17)) - 8;
      const QRgb c = line[x];
      line[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255), std::clamp(qBlue(c) + n, 0, 255));
    }
  }
  return image;
}

// A valid small image in `format` ("png", "jpeg", "webp", "tiff", "bmp", "gif").
inline QByteArray valid(const QByteArray& format) {
  if (format != "gif") return encoded(blank(320, 120), format.constData());
  // Qt reads GIF but writes none: one white pixel.
  return QByteArray(
      "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00"
      "\x02\x02D\x01\x00;",
      35);
}

// The first `keep` bytes (the signature: the format is still recognised), garbage after them.
inline QByteArray damaged(QByteArray bytes, int keep) {
  for (qsizetype i = keep; i < bytes.size(); ++i) bytes[i] = char((i * 37) ^ 0x5A);
  return bytes;
}

// The first half, as an interrupted download leaves it.
inline QByteArray cut(const QByteArray& bytes) { return bytes.left(bytes.size() / 2); }

inline bool save(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace filecases
