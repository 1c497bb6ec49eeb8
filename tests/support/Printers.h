#pragma once
// Readable failure messages for the Qt types the tests compare.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
