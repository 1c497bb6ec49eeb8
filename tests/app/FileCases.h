#pragma once
// Files "-read" meets when a user is unlucky or hostile: valid images of each
// format, the same damaged or cut short, and pictures around the size limit.
// Shared by the program's tests and bench/read_bench.cpp; needs a QGuiApplication.
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageWriter>

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
