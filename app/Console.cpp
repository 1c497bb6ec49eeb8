#include "app/Console.h"

#include <cstdio>

namespace console {

void line(const QString& text) {
  const QByteArray bytes = text.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
  std::fflush(stdout);
}

}  // namespace console
