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

// The JSON object of a resource file ("Strings/en.json"). A missing,
// unreadable or malformed file gives an empty object and one warning on
// standard error that names the file and `consequence` (what is shown or done
// instead), once per file and process.
QJsonObject readObject(const QString& relative, const QString& consequence);

}  // namespace Bundle
