#pragma once
#include <QString>

#include "core/Lang.h"

struct Strings;

namespace menu {

// A language's own name for itself (the "_name" of its catalogue), or its
// code when the catalogue is empty or has none.
QString nativeName(const QString& code);

// How the interface-language choice reads in a row: "Automatic · English"
// while following the system, else the chosen language's own name.
QString languageSummary(const Lang& language, const Strings& texts);

}  // namespace menu
