#include "app/ImageHeader.h"

#include <QByteArray>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace imageheader {

namespace {

quint32 le16(QByteArrayView b, qsizetype at) { return uchar(b[at]) | uchar(b[at + 1]) << 8; }
quint32 be16(QByteArrayView b, qsizetype at) { return uchar(b[at]) << 8 | uchar(b[at + 1]); }
qint64 le32(QByteArrayView b, qsizetype at) { return qint32(le16(b, at) | le16(b, at + 2) << 16); }

void keepLarger(std::optional<QSize>& best, QSize s) {
  if (!best || qint64(s.width()) * s.height() > qint64(best->width()) * best->height()) best = s;
}

// Walks a GIF's blocks: every frame's size, and whether the trailer is there.
struct GifWalk {
  std::optional<QSize> largest;
  int frames = 0;
  bool ended = false;
};

GifWalk walkGif(QByteArrayView b) {
  GifWalk out;
  if (b.size() < 13 || !b.startsWith("GIF")) return out;
  keepLarger(out.largest, QSize(int(le16(b, 6)), int(le16(b, 8))));
  qsizetype at = 13;
  if (uchar(b[10]) & 0x80) at += 3 << ((uchar(b[10]) & 7) + 1);
  // Sub-blocks: a length byte each, a zero length at the end.
  const auto skipBlocks = [&b](qsizetype i) {
    while (i < b.size() && b[i] != 0) i += uchar(b[i]) + 1;
    return i + 1;
  };
  while (at < b.size()) {
    const uchar kind = uchar(b[at]);
    if (kind == 0x3B) {
      out.ended = true;
      break;
    }
    if (kind == 0x21 && at + 1 < b.size()) {
      at = skipBlocks(at + 2);
    } else if (kind == 0x2C && at + 10 <= b.size()) {
      keepLarger(out.largest, QSize(int(le16(b, at + 5)), int(le16(b, at + 7))));
      ++out.frames;
      const uchar flags = uchar(b[at + 9]);
      at += 10;
      if (flags & 0x80) at += 3 << ((flags & 7) + 1);
      at = skipBlocks(at + 1);  // the code size, then the data
    } else {
      break;  // cut short, or bytes that are no block
    }
  }
  return out;
}

// Walks a JPEG's segments to its end-of-image marker. Inside the compressed
// data after a start of scan, a 0xFF is always followed by 0 or a restart
// marker; anything else is the next segment.
struct JpegWalk {
  int scans = 0;
  bool ended = false;
};

JpegWalk walkJpeg(QByteArrayView b) {
  JpegWalk out;
  if (b.size() < 4 || uchar(b[0]) != 0xFF || uchar(b[1]) != 0xD8) return out;
  qsizetype at = 2;
  while (at + 1 < b.size()) {
    if (uchar(b[at]) != 0xFF) return out;
    while (at + 1 < b.size() && uchar(b[at + 1]) == 0xFF) ++at;  // fill bytes
    if (at + 1 >= b.size()) return out;
    const uchar marker = uchar(b[at + 1]);
    at += 2;
    if (marker == 0xD9) {
      out.ended = true;
      return out;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (at + 2 > b.size()) return out;
    at += be16(b, at);
    if (marker != 0xDA) continue;
    ++out.scans;
    for (;; ++at) {
      const char* next = at < b.size() ? static_cast<const char*>(std::memchr(b.data() + at, 0xFF, size_t(b.size() - at)))
                                       : nullptr;
      if (!next || next + 1 >= b.data() + b.size()) return out;
      at = next - b.data();
      const uchar after = uchar(b[at + 1]);
      if (after != 0 && !(after >= 0xD0 && after <= 0xD7) && after != 0xFF) break;
    }
  }
  return out;
}

}  // namespace

std::optional<QSize> declaredSize(const QByteArray& format, QByteArrayView b) {
  // Only a header that holds together is believed: damaged bytes declare
  // any size at all, and are reported as damage.
  if (format == "gif") {
    const GifWalk walk = walkGif(b);
    return walk.frames > 0 ? walk.largest : std::nullopt;
  }
  if (format != "bmp" || b.size() < 30 || !b.startsWith("BM")) return std::nullopt;
  const qint64 header = le32(b, 14), planes = le16(b, 26), bits = le16(b, 28);
  const bool known = header == 40 || header == 52 || header == 56 || header == 108 || header == 124;
  if (!known || planes != 1 || !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
    return std::nullopt;
  const qint64 w = le32(b, 18), h = std::llabs(le32(b, 22));
  if (w <= 0 || h <= 0) return std::nullopt;
  return QSize(int(w), int(std::min<qint64>(h, INT32_MAX)));
}

bool cutShort(const QByteArray& format, QByteArrayView b) {
  if (b.isEmpty()) return false;  // no bytes to judge (the file could not be mapped)
  if (format == "jpeg") return !walkJpeg(b).ended;
  if (format == "gif") return !walkGif(b).ended;
  if (format == "bmp" && b.size() >= 34 && le32(b, 14) >= 40) {
    const qint64 compression = le32(b, 30);
    if (compression != 0 && compression != 3) return false;  // run-length data has no fixed length
    const qint64 offset = le32(b, 10), width = le32(b, 18), height = std::llabs(le32(b, 22));
    const qint64 stride = (qint64(le16(b, 28)) * width + 31) / 32 * 4;
    return offset > 0 && stride > 0 && b.size() < offset + stride * height;
  }
  return false;
}

int jpegScans(QByteArrayView b) { return walkJpeg(b).scans; }

QByteArray pngWithoutText(QByteArrayView b) {
  static constexpr char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (b.size() < 8 || std::memcmp(b.data(), kSignature, 8) != 0) return {};
  const auto isText = [](QByteArrayView type) { return type == "tEXt" || type == "zTXt" || type == "iTXt"; };
  // Chunks: length (4, big-endian), type (4), data, CRC (4).
  bool compressed = false;
  for (qsizetype at = 8; at + 8 <= b.size();) {
    const qint64 length = qint64(be16(b, at)) << 16 | be16(b, at + 2);
    const QByteArrayView type = b.sliced(at + 4, 4);
    compressed = compressed || type == "zTXt" || type == "iTXt";
    at += 12 + length;
  }
  if (!compressed) return {};
  QByteArray out(b.data(), 8);
  out.reserve(b.size());
  for (qsizetype at = 8; at + 8 <= b.size();) {
    const qint64 length = qint64(be16(b, at)) << 16 | be16(b, at + 2);
    const qsizetype end = qsizetype(std::min<qint64>(b.size(), at + 12 + length));
    if (!isText(b.sliced(at + 4, 4))) out.append(b.data() + at, end - at);
    at = end;
  }
  return out;
}

}  // namespace imageheader
