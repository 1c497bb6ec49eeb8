#pragma once
#include <QFont>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// The display faces: a Korean serif for Korean, a Latin display face for
// Latin-script interface languages, the system face for the rest. Sizes are
// logical pixels throughout.
namespace Fonts {

enum class Script { korean, latin, other };

// The 23 interface-language codes drawn with the Latin face.
const QSet<QString>& latinCodes();

// Registers every ttf/otf file (extension in any case) of the bundle's "Fonts"
// folder for this process, in name order; other files are skipped and failures
// ignored. Call before the first face() so the bundled families count as
// present. Returns the ids of the fonts that registered.
QList<int> registerAll();

// Decided once, on first use, from the families the font database has then.
QString koreanFace();
std::optional<QString> latinFace();
// The decisions themselves, over a given list of families: "Noto Serif KR",
// else Debian's "Noto Serif CJK KR", else the name "Hahmlet" (not checked);
// "Cormorant Garamond" or none.
QString chooseKoreanFace(const QStringList& families);
std::optional<QString> chooseLatinFace(const QStringList& families);

// The script of an interface-language code, and of the current language
// (read from the settings at every call, so a language change shows at once).
Script scriptFor(const QString& code);
Script script();

// The display font at a size for the current interface language.
QFont face(qreal size);
// The same for a given script and Latin face (none: the system serif).
QFont faceFor(Script script, qreal size, const std::optional<QString>& latin, const QString& korean);

// The width of a line in the system font at a size and weight, rounded up to a
// whole pixel; 0 for an empty text.
qreal textWidth(const QString& text, qreal size, QFont::Weight weight);

}  // namespace Fonts
