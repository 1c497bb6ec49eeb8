#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>

// The command line: the developer switches that turn the tray program into a
// console tool, and the help switch.
namespace switches {

enum class Mode { none, help, benchOCR, reportTest, read, snapshot, invalid };

struct Choice {
  Mode mode = Mode::none;
  QString path;       // the file of "-read", the folder of "-snapshot"
  QByteArray nativePath;  // the same as the bytes the user gave (from the argv form of parse)
  bool fast = false;  // "-fast" beside "-benchocr"
  QString problem;    // what is wrong with the line (mode invalid)
};

// Decides the mode from the arguments (without the program name). Each whole
// argument is compared exactly. "-h"/"--help" wins, then "-benchocr",
// "-reporttest", the first "-read" followed by a path, the first "-snapshot"
// followed by a folder. A line that names an unknown switch or argument, or
// ends in "-read" or "-snapshot" without its path, is invalid (the usage is
// printed and the program ends with 2) unless "-h" is on it; Qt's own
// options ("-platform NAME", "-display X", ...) pass.
Choice parse(const QStringList& args);
// The same from main's arguments. A file name need not be text in the
// locale's encoding (a byte 0xFF under UTF-8): `nativePath` keeps its bytes,
// which is what opening the file needs; `path` is only its readable form.
Choice parse(int argc, const char* const* argv);

// True for the modes that end the normal launch after the fonts.
bool isConsole(Mode mode);

// The text of "-h".
QString usage();

}  // namespace switches
