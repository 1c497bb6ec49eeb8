#pragma once
#include <QLoggingCategory>

// One logging category per subsystem; debug output is off unless enabled with
// QT_LOGGING_RULES (e.g. "tarvok.*.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcReporting)
Q_DECLARE_LOGGING_CATEGORY(lcHotKey)
Q_DECLARE_LOGGING_CATEGORY(lcTheme)
