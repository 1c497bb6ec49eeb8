#pragma once
#include <QString>
#include <QStringList>

class QWidget;

// "-snapshot FOLDER": every screen of the program as PNG files, drawn by the
// very views the program shows (built with actions that do nothing) without
// showing a window, in light and dark and in several interface languages.
namespace Snapshot {

struct Outcome {
  bool ran = false;     // false: no private copy of the preferences could be made
  int planned = 0;      // files the run meant to write
  int written = 0;      // files that reached the folder
  QStringList skipped;  // languages left out for want of a catalogue file
  QString printed;      // what went to standard output
};

// Runs the whole sequence into `dir` (file paths are `dir` + "/" + name,
// joined as text): the default six interface languages, or every catalogue
// language with `allLanguages`. Prints the recognised sample table (or its
// text when no table was found) on standard output. The user's preference
// file is never written: the run works on a private copy of it, so even a
// run that is killed leaves it as it was.
Outcome render(const QString& dir, bool allLanguages);

// Draws `view` at its fitting size at pixel ratio 2 in the current
// appearance and writes it as a PNG file, replacing one that is there; false
// when nothing could be drawn or written.
bool save(QWidget& view, const QString& path);

// The console side of the switch: refuses a folder that looks like a switch,
// makes the folder with its parents, renders, and says on standard error what
// could not be done. Returns the exit code: 0, or 1 when the folder or a file
// could not be written.
int run(const QString& dir, bool allLanguages);

}  // namespace Snapshot
