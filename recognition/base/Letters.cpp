#include "recognition/base/Letters.h"

#include <unicode/uchar.h>

#include "recognition/base/Result.h"

namespace text {

long long letterCount(const QString& s) {
  return countGraphemesIf(s, [](char32_t c) { return u_hasBinaryProperty(UChar32(c), UCHAR_ALPHABETIC) != 0; });
}

}  // namespace text
