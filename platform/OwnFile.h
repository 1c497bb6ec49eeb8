#pragma once
#include <QByteArray>
#include <QString>

class QFile;

// Opening a file of ours (preferences, the detector model, an image given on
// the command line) for reading. A named pipe without a writer would hold
// the program up forever, and a device is no file we wrote: such paths are
// opened without blocking and refused unless they hold a regular file (a
// link to one counts).
namespace ownfile {

struct Opened {
  enum class Failure { none, notFound, unreadable, notRegular };
  int fd = -1;  // owned by the caller; -1 on failure
  Failure failure = Failure::none;
  QString problem;  // "not found", the system's reason, or "not a regular file (a named pipe)"
};

Opened openRegular(const QByteArray& path);

// The same into `file`, which then owns the descriptor; false with `problem`
// set otherwise. A missing file's problem is "not found".
bool open(QFile& file, QString* problem = nullptr);

}  // namespace ownfile
