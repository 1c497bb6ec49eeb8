#pragma once
#include <QJsonObject>
#include <QString>

// The application's read-only resources: interface texts, fonts and Info.json.
// They live in `resources/` beside the executable (build tree) or in
// `share/tarvok` beside its bin folder (installed).
namespace Bundle {

// The resource folder, or an empty string when none was found.
QString resourceDir();

// Points the bundle at another folder (tests). Caches built from resources
// compare generation() to notice the change.
void setResourceDir(const QString& dir);
int generation();

// The path of a file or folder inside the resource folder ("Strings/en.json").
QString resource(const QString& relative);

// A text value of Info.json; empty when the file, the key or a text value is missing.
QString infoString(const QString& key);

// The largest Info.json read; a catalogue may be larger (readObject's bound).
inline constexpr qint64 kMaxInfoBytes = qint64(1) << 20;

// The JSON object of a resource file ("Strings/en.json"). A missing,
// unreadable, malformed or oversized (over `maxBytes`) file gives an empty
// object and one warning on standard error that names the file and
// `consequence` (what is shown or done instead), once per file and process.
// The bound keeps a damaged or replaced file from holding up the start and
// quit and from taking memory: ours are a few kilobytes.
QJsonObject readObject(const QString& relative, const QString& consequence, qint64 maxBytes = kMaxInfoBytes);

}  // namespace Bundle
