#pragma once
#include <QString>

namespace analytics {

// The shortest decimal text that reads back as the same double, always with
// a fractional part and ASCII digits whatever the locale: 3 gives "3.0",
// 2.5 gives "2.5", 1e21 gives "1e+21".
QString decimalText(double value);

}  // namespace analytics
