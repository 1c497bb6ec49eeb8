#pragma once
#include <QString>

namespace text {
// The number of characters (grapheme clusters) whose first Unicode scalar has
// the Alphabetic property.
long long letterCount(const QString& s);
}  // namespace text
