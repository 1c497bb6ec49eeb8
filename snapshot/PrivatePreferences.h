#pragma once
#include <QString>
#include <QTemporaryDir>

class PrefStore;

namespace Snapshot {

// While this lives, the preference store reads and writes a copy of its file
// in a private folder, so that whatever a run changes (and however it ends)
// the user's own file keeps every byte. The process's settings object keeps
// working unchanged on top of the store.
class PrivatePreferences {
 public:
  explicit PrivatePreferences(PrefStore& store);
  // Points the store back at the user's file and removes the copy.
  ~PrivatePreferences();
  PrivatePreferences(const PrivatePreferences&) = delete;
  PrivatePreferences& operator=(const PrivatePreferences&) = delete;

  // False when no private copy could be made: the store was left alone and
  // nothing may be changed.
  bool active() const { return active_; }

 private:
  PrefStore& store_;
  QString original_;
  QTemporaryDir folder_;
  int cleanup_ = 0;  // removes the folder when a signal ends the run
  bool active_ = false;
};

}  // namespace Snapshot
