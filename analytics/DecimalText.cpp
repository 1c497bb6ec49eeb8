#include "analytics/DecimalText.h"

#include <QLocale>
#include <cmath>

namespace analytics {

QString decimalText(double value) {
  // Plain digits over the range durations and screen sizes live in; the
  // exponent form only for the very large and the very small.
  const double magnitude = std::abs(value);
  const bool plain = std::isfinite(value) && (magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e16));
  QString text = QString::number(value, plain ? 'f' : 'e', QLocale::FloatingPointShortest);
  if (plain && !text.contains(QLatin1Char('.'))) text += QLatin1String(".0");
  return text;
}

}  // namespace analytics
