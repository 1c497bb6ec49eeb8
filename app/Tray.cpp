#include "app/Tray.h"

#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcTray, "tarvok.app.tray", QtInfoMsg)

Tray::Tray(QObject* parent) : QObject(parent) {
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    qCDebug(lcTray) << "tray icon activated:" << reason;
    switch (reason) {
      case QSystemTrayIcon::Trigger:
      case QSystemTrayIcon::DoubleClick:
      case QSystemTrayIcon::Context:
        if (onToggle) onToggle();
        break;
      default:
        break;
    }
  });
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, &Tray::refresh);
  connect(&Settings::shared(), &Settings::changed, this, [this] {
    icon_.setToolTip(L::table(Settings::shared().language()).appName);
  });
}

void Tray::install() {
  refresh();
  icon_.setToolTip(L::table(Settings::shared().language()).appName);
  icon_.show();
}

void Tray::setGlyph(Glyph glyph) {
  if (glyph == glyph_) return;
  glyph_ = glyph;
  refresh();
}

QRect Tray::geometry() const { return icon_.geometry(); }

void Tray::refresh() { icon_.setIcon(glyphIcon(glyph_, Appearance::isDark())); }
