#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <string>

#include "tests/support/Printers.h"

class QProcess;

namespace testenv {

// Processes events until `done` holds or `ms` pass; false on time-out.
bool waitUntil(const std::function<bool()>& done, int ms = 5000);
// Processes events for `ms`.
void pump(int ms);

// A folder private to this test process (removed at exit).
QString scratch();

// The resource folder of the source tree.
QString sourceResources();

// Registers a function the test binary runs instead of its tests when started
// with `--child NAME`; used to check what a fresh process reads back.
void registerChild(const std::string& name, std::function<int()> body);

// How a child process ended, for a test to compare with what it expects:
// "exit N", "signal N" (crashed or killed), "running" or "not started". Tests
// check it for every program they start, so that a child that dies, under a
// sanitizer too, fails the test that started it.
QString ending(const QProcess& process);
// The same from a status that waitpid() gave.
QString ending(int waitStatus);

struct ChildResult {
  int exitCode = -1;  // -1 unless it exited
  QString ending;
  QByteArray out;
};
// Runs this same binary as `--child NAME` with the current environment plus `env`.
ChildResult runChild(const std::string& name, const std::map<QString, QString>& env = {});

// Collects messages of the logging categories whose name starts with `prefix`
// while it lives, with debug output of those categories switched on.
class LogCapture {
 public:
  explicit LogCapture(const QString& prefix);
  ~LogCapture();
  QStringList lines() const;
  bool contains(const QString& text) const;
  // The analytics signals logged by "tarvok.reporting", sent or dropped, as
  // "name key=value ...".
  QStringList reported() const;
  void clear();
};

}  // namespace testenv
