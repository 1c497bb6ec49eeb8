#pragma once
#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>
#include <functional>

#include "core/Glyph.h"

// The tray icon: the glyph of where a capture stands, and the door to the
// menu. A click, a quick second click and a right click all toggle the menu.
// Qt keeps watching for a tray host, so the icon appears when one starts
// after us.
class Tray : public QObject {
  Q_OBJECT
 public:
  explicit Tray(QObject* parent = nullptr);

  // Puts the icon in the tray with the idle glyph.
  void install();

  void setGlyph(Glyph glyph);
  Glyph glyph() const { return glyph_; }

  // The icon's place on screen; empty while no tray host shows it.
  QRect geometry() const;

  std::function<void()> onToggle;

 private:
  void refresh();

  QSystemTrayIcon icon_;
  Glyph glyph_ = Glyph::idle;
};
