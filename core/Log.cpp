#include "core/Log.h"

Q_LOGGING_CATEGORY(lcReporting, "tarvok.reporting", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotKey, "tarvok.hotkey", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTheme, "tarvok.theme", QtInfoMsg)
