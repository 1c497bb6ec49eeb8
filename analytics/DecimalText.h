#pragma once
#include <QString>

namespace analytics {

// The shortest decimal text that reads back as the same double, with ASCII
// digits whatever the locale. From 0.0001 up to 1e16 it is plain digits with
// a fractional part: 3 gives "3.0", 2.5 gives "2.5", 100000 gives "100000.0".
// Beyond that range the exponent form: 1e21 gives "1e+21", 1e-05 "1e-05".
QString decimalText(double value);

}  // namespace analytics
