#include "toast/ToastLog.h"

Q_LOGGING_CATEGORY(lcToast, "tarvok.toast", QtInfoMsg)
