#include "capture/CaptureLog.h"

Q_LOGGING_CATEGORY(lcCapture, "tarvok.capture", QtInfoMsg)
