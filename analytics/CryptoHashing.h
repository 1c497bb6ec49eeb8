#pragma once
#include <QString>

namespace analytics::CryptoHashing {

// SHA-256 of the text followed by the salt (UTF-8), as 64 lower-case hex digits.
QString sha256(const QString& string, const QString& salt = QString());

}  // namespace analytics::CryptoHashing
