#pragma once
#include <QList>
#include <QString>

#include "crash/CrashRecord.h"

namespace crash {

// Function names for the frames of a crash record, from the symbol tables of
// the images on disk (and their separate debug files where installed). An
// image whose build ID no longer matches the one in the record (updated since)
// gives no names. One entry per frame; empty where nothing is known.
QStringList functionNames(const CrashRecord& record);

}  // namespace crash
