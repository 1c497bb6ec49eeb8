// tarvok: turns any part of the screen into text.
#include <QApplication>
#include <QLoggingCategory>
#include <QSystemTrayIcon>
#include <cstdio>
#include <cstring>

#include "app/Environment.h"
#include "core/Fonts.h"
#include "core/Glyph.h"
#include "core/HotKeyCenter.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"

Q_LOGGING_CATEGORY(lcApp, "tarvok.app", QtInfoMsg)

namespace {

const char* const kUsage =
    "Usage: tarvok [-h]\n"
    "\n"
    "Starts tarvok in the tray. Press the shortcut (Ctrl+Shift+2 by default)\n"
    "anywhere to read the text of a part of the screen.\n"
    "\n"
    "  -h, --help   print this help and exit\n";

bool hasArg(int argc, char** argv, const char* name) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], name) == 0) return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Environment::ensureThreadLimit(argv);
  const bool help = hasArg(argc, argv, "-h") || hasArg(argc, argv, "--help");
  if (help) {
    std::fputs(kUsage, stdout);
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("tarvok"));
  QApplication::setQuitOnLastWindowClosed(false);
  Fonts::registerAll();

  Settings& settings = Settings::shared();
  QSystemTrayIcon tray;
  const auto refreshIcon = [&tray] { tray.setIcon(glyphIcon(Glyph::idle, Appearance::isDark())); };
  refreshIcon();
  QObject::connect(&Appearance::notifier(), &Appearance::Notifier::changed, &tray, refreshIcon);
  tray.setToolTip(L::table(settings.language()).appName);
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    qCWarning(lcApp) << "no system tray found; the shortcut still works";
  }
  tray.show();

  HotKeyCenter hotKey;
  hotKey.onPress = [] { qCInfo(lcApp) << "shortcut pressed"; };
  const Shortcut shortcut = settings.shortcut();
  if (hotKey.registerShortcut(shortcut)) {
    qCInfo(lcApp).noquote() << "shortcut" << shortcut.caps().join(QLatin1Char('+')) << "registered";
  } else {
    qCWarning(lcApp).noquote() << "shortcut" << shortcut.caps().join(QLatin1Char('+'))
                               << "is taken by another program";
  }
  return app.exec();
}
