#pragma once
#include <QString>

// Why a capture failed: the still could not be taken (`permission`), or there
// is no screen to take it from (`noDisplay`).
enum class CaptureError { permission, noDisplay };

// The reason as reported in signals: "permission" or "noDisplay".
inline QString reasonOf(CaptureError e) {
  return e == CaptureError::permission ? QStringLiteral("permission") : QStringLiteral("noDisplay");
}
