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
#include <cmath>
#include <vector>

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

// Other noise, the same for every run: "gauss" grey (mean 128, deviation
// 40), "colour" (every channel at random), "salt" (5 % black and 5 % white
// specks on grey), "smooth" (grey noise an eighth the size, scaled up).
inline QImage noiseOf(const char* kind, int width, int height) {
  const QByteArray k(kind);
  if (k == "smooth")
    return noise(std::max(1, width / 8), std::max(1, height / 8))
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  QImage image(width, height, QImage::Format_RGB32);
  QRandomGenerator rng(17);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < width; ++x) {
      int v = 200;
      if (k == "colour") {
        line[x] = 0xFF000000u | (rng.generate() & 0xFFFFFFu);
        continue;
      }
      if (k == "gauss") {
        const double u = std::max(1e-9, rng.generateDouble()), w = rng.generateDouble();
        v = std::clamp(int(std::lround(128 + 40 * std::sqrt(-2 * std::log(u)) * std::cos(2 * M_PI * w))), 0, 255);
      } else {
        const quint32 r = rng.bounded(100u);
        v = r < 5 ? 0 : r < 10 ? 255 : 200;
      }
      line[x] = qRgb(v, v, v);
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

// A white TGA with the version 2 footer Qt's reader needs; TGA has no
// signature, and its header looks like an icon's to a content test.
inline QByteArray tga(int width, int height) {
  QByteArray out(18, 0);
  out[2] = 2;  // uncompressed true colour
  out[12] = char(width & 0xFF), out[13] = char(width >> 8);
  out[14] = char(height & 0xFF), out[15] = char(height >> 8);
  out[16] = 24, out[17] = 0x20;  // 24 bits, top to bottom
  out += QByteArray(qsizetype(width) * height * 3, char(0xFF));
  return out + QByteArray(8, 0) + QByteArray("TRUEVISION-XFILE.", 18);
}

// A GIF of `width` x `height` with black and white stripes ten rows high, as
// 9-bit codes with a clear code every 250 pixels, so the table never grows.
// `frame` (if larger) is the size its one frame declares.
inline QByteArray stripesGif(int width, int height) {
  std::vector<int> codes{256};
  int run = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      codes.push_back((y / 10) % 2);
      if (++run == 250) codes.push_back(256), run = 0;
    }
  }
  codes.push_back(257);
  QByteArray lzw;
  quint32 bits = 0;
  int count = 0;
  for (int c : codes) {
    bits |= quint32(c) << count, count += 9;
    for (; count >= 8; count -= 8, bits >>= 8) lzw += char(bits & 0xFF);
  }
  if (count > 0) lzw += char(bits & 0xFF);
  QByteArray out("GIF89a");
  const auto le16 = [&out](int v) { out += char(v & 0xFF), out += char(v >> 8); };
  le16(width), le16(height);
  out += QByteArray("\xF7\x00\x00", 3) + QByteArray("\xFF\xFF\xFF", 3) + QByteArray(3 * 255, 0);
  out += ',', le16(0), le16(0), le16(width), le16(height), out += char(0);
  out += char(8);
  for (qsizetype i = 0; i < lzw.size(); i += 255) {
    const QByteArray chunk = lzw.mid(i, 255);
    out += char(chunk.size()) + chunk;
  }
  return out + QByteArray("\x00;", 2);
}

// Headers that declare a picture of `width` x `height` and hold no pixels.
inline QByteArray bmpHeader(qint32 width, qint32 height) {
  QByteArray out("BM");
  const auto le32 = [&out](qint32 v) {
    for (int i = 0; i < 4; ++i) out += char((quint32(v) >> (8 * i)) & 0xFF);
  };
  le32(54), le32(0), le32(54), le32(40), le32(width), le32(height);
  out += QByteArray("\x01\x00\x18\x00", 4);
  for (int i = 0; i < 6; ++i) le32(0);
  return out;
}
// A GIF whose screen and one frame declare `width` x `height`, with one pixel of data.
inline QByteArray gifHeader(int width, int height) {
  QByteArray out("GIF89a");
  const auto le16 = [&out](int v) { out += char(v & 0xFF), out += char(v >> 8); };
  le16(width), le16(height);
  out += QByteArray("\x80\x00\x00\xff\xff\xff\x00\x00\x00,", 10);
  le16(0), le16(0), le16(width), le16(height);
  return out + QByteArray("\x00\x02\x02" "D\x01\x00;", 7);
}

// CRC-32 as PNG chunks carry it.
inline quint32 crc32(const QByteArray& bytes) {
  quint32 c = 0xFFFFFFFFu;
  for (char b : bytes) {
    c ^= uchar(b);
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
  }
  return ~c;
}

// A small PNG carrying `chunks` compressed text chunks of `inflated` zero
// bytes each: a few kilobytes on disk that a decoder keeping text unpacks whole.
inline QByteArray pngWithTextBomb(int chunks, int inflated) {
  QByteArray png = encoded(blank(64, 64), "png");
  const QByteArray data = QByteArray("Comment\0\0", 9) + qCompress(QByteArray(inflated, 0), 9).mid(4);
  QByteArray chunk;
  for (int i = 0; i < 4; ++i) chunk += char((quint32(data.size()) >> (24 - 8 * i)) & 0xFF);
  const QByteArray typed = "zTXt" + data;
  const quint32 crc = crc32(typed);
  chunk += typed;
  for (int i = 0; i < 4; ++i) chunk += char((crc >> (24 - 8 * i)) & 0xFF);
  for (int i = 0; i < chunks; ++i) png.insert(33, chunk);  // after IHDR, before the pixels
  return png;
}

// A progressive JPEG of `side` x `side` white pixels whose last scan is
// repeated until it has `scans` scans.
inline QByteArray jpegWithScans(int scans, int side = 64) {
  QByteArray jpeg;
  QBuffer buffer(&jpeg);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  writer.write(blank(side, side));
  const qsizetype last = jpeg.lastIndexOf("\xFF\xDA");
  const QByteArray scan = jpeg.mid(last, jpeg.size() - 2 - last);
  int have = int(jpeg.count("\xFF\xDA"));
  for (; have < scans; ++have) jpeg.insert(jpeg.size() - 2, scan);
  return jpeg;
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
