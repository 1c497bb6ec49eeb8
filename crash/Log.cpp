#include "crash/Log.h"

Q_LOGGING_CATEGORY(lcCrash, "tarvok.crash", QtInfoMsg)
