#pragma once
// Readable failure messages for the Qt types the tests compare.
#include <QColor>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
  *os << '[' << l.join(", ").toStdString() << ']';
}
inline void PrintTo(const QJsonObject& o, std::ostream* os) {
  *os << QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QJsonArray& a, std::ostream* os) {
  *os << QJsonDocument(a).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QJsonValue& v, std::ostream* os) {
  *os << QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact).toStdString();
}
inline void PrintTo(const QVariant& v, std::ostream* os) {
  *os << v.typeName() << '(' << v.toString().toStdString() << ')';
}
inline void PrintTo(const QRectF& r, std::ostream* os) {
  *os << "QRectF(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ')';
}
inline void PrintTo(const QRect& r, std::ostream* os) { PrintTo(QRectF(r), os); }
inline void PrintTo(const QSize& s, std::ostream* os) { *os << "QSize(" << s.width() << " x " << s.height() << ')'; }
inline void PrintTo(const QPointF& p, std::ostream* os) { *os << "QPointF(" << p.x() << ", " << p.y() << ')'; }
inline void PrintTo(const QPoint& p, std::ostream* os) { PrintTo(QPointF(p), os); }
inline std::ostream& operator<<(std::ostream& os, const QColor& c) { return os << c.name(QColor::HexArgb).toStdString(); }
