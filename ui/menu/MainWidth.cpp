#include "ui/menu/MainWidth.h"

#include <algorithm>
#include <initializer_list>

#include "core/Fonts.h"
#include "core/Strings.h"
#include "ui/menu/ShortcutButton.h"

namespace menu {

QString quitHint() { return QStringLiteral("Ctrl+Q"); }

qreal mainWidth(const Strings& s, const QStringList& caps, const QString& summary) {
  using Fonts::textWidth;
  const qreal toggle = 62;
  const qreal largest = std::max<qreal>({
      ShortcutButton::restingWidth(s.change, caps) + textWidth(s.pick, 13, QFont::Medium) + 32,
      textWidth(s.openAtLogin, 12.5, QFont::Normal) + toggle,
      textWidth(s.joinLines, 12.5, QFont::Normal) + toggle,
      textWidth(s.tables, 12.5, QFont::Normal) + toggle,
      textWidth(s.reports, 12.5, QFont::Normal) + toggle,
      textWidth(s.language, 12.5, QFont::Normal) + textWidth(summary, 11, QFont::Normal) + 38,
      textWidth(s.ocrMode, 12.5, QFont::Normal) + textWidth(s.modeFast, 11, QFont::DemiBold) +
          textWidth(s.modeAccurate, 11, QFont::DemiBold) + 58,
      textWidth(s.about, 12.5, QFont::Normal) + 24,
      textWidth(s.quit, 12.5, QFont::Normal) + textWidth(quitHint(), 11, QFont::Normal) + 26,
      textWidth(s.appName, 17, QFont::Normal) + textWidth(s.tagline, 11, QFont::Normal) + 70,
  });
  return std::min(kMaxMainWidth, std::max(kMinMainWidth, largest + 12));
}

}  // namespace menu
