#include "analytics/DecimalText.h"

#include <QLocale>

namespace analytics {

QString decimalText(double value) {
  QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
  const bool plainInteger = !text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e')) &&
                            !text.contains(QLatin1String("inf")) && !text.contains(QLatin1String("nan"));
  if (plainInteger) text += QLatin1String(".0");
  return text;
}

}  // namespace analytics
