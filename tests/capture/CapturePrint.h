#pragma once
// Readable failures for the geometry types of the capture tests.
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <ostream>

inline void PrintTo(const QRectF& r, std::ostream* os) {
  *os << "QRectF(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ')';
}
inline void PrintTo(const QRect& r, std::ostream* os) { PrintTo(QRectF(r), os); }
inline void PrintTo(const QSize& s, std::ostream* os) { *os << "QSize(" << s.width() << " x " << s.height() << ')'; }
inline void PrintTo(const QPointF& p, std::ostream* os) { *os << "QPointF(" << p.x() << ", " << p.y() << ')'; }
