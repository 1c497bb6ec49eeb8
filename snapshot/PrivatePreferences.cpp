#include "snapshot/PrivatePreferences.h"

#include <QDir>
#include <QFile>

#include "platform/PrefFile.h"
#include "platform/PrefStore.h"
#include "platform/SignalExit.h"

namespace Snapshot {

PrivatePreferences::PrivatePreferences(PrefStore& store)
    : store_(store),
      original_(store.filePath()),
      folder_(QDir::tempPath() + QStringLiteral("/tarvok-snapshot-XXXXXX")) {
  if (!folder_.isValid()) return;
  const QString copy = folder_.filePath(QStringLiteral("tarvok.conf"));
  // No file yet is fine: the copy starts empty as well. So does the copy of a
  // file the store would not read, which stays where it is, untouched.
  if (QFile::exists(original_) && preffile::problem(original_).isEmpty() && !QFile::copy(original_, copy)) return;
  store_.useFile(copy);
  active_ = true;
  cleanup_ = SignalExit::atExit([dir = folder_.path()] { QDir(dir).removeRecursively(); });
}

PrivatePreferences::~PrivatePreferences() {
  if (!active_) return;
  SignalExit::cancel(cleanup_);
  store_.useFile(original_);
}

}  // namespace Snapshot
