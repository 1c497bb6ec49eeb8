#pragma once
// Readable failures for the geometry types of the capture tests.
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <optional>
#include <ostream>

inline void PrintTo(const QRectF& r, std::ostream* os) {
  *os << "QRectF(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ')';
}
inline void PrintTo(const QRect& r, std::ostream* os) {
  *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ')';
}
inline void PrintTo(const QSize& s, std::ostream* os) { *os << "QSize(" << s.width() << " x " << s.height() << ')'; }
inline void PrintTo(const QPointF& p, std::ostream* os) { *os << "QPointF(" << p.x() << ", " << p.y() << ')'; }

#include <QImage>

// Where two images of one size differ: the bounding box and the pixel count.
struct ImageDiff {
  QRect box;
  int count = 0;
};
inline ImageDiff diffImages(const QImage& a, const QImage& b) {
  ImageDiff d;
  if (a.size() != b.size()) return {QRect(QPoint(), a.size().expandedTo(b.size())), -1};
  const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
  for (int j = 0; j < x.height(); ++j)
    for (int i = 0; i < x.width(); ++i)
      if (x.pixel(i, j) != y.pixel(i, j)) {
        d.box |= QRect(i, j, 1, 1);
        ++d.count;
      }
  return d;
}
inline void PrintTo(const ImageDiff& d, std::ostream* os) {
  *os << d.count << " pixels differ in ";
  PrintTo(d.box, os);
}

#include <QDir>
#include <QString>

// Saves a picture for people to look at, when TARVOK_SHOT_DIR names a folder.
inline void saveShot(const QImage& img, const QString& name) {
  const QString dir = qEnvironmentVariable("TARVOK_SHOT_DIR");
  if (dir.isEmpty()) return;
  QDir().mkpath(dir);
  img.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
