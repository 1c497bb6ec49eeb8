#pragma once
#include <QString>
#include <QStringList>

struct Strings;

// How wide the main page is: wide enough for its longest row in the current
// interface language, within 220...320 px. The language pages are always 232.
namespace menu {

inline constexpr qreal kMinMainWidth = 220;
inline constexpr qreal kMaxMainWidth = 320;
inline constexpr qreal kLanguagePageWidth = 232;

// The hint at the trailing end of the Quit row.
QString quitHint();

// The widest row's measured need plus the page's insets, clamped. The pick
// row measures the real key caps of the shortcut (Linux modifier names are
// words, not single glyphs).
qreal mainWidth(const Strings& texts, const QStringList& caps, const QString& summary);

}  // namespace menu
