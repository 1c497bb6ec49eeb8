#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <optional>

#include "platform/ActiveWindow.h"
#include "toast/ToastPanel.h"
#include "ui/menu/MenuPage.h"
#include "ui/menu/MenuView.h"

class AboutController;
class MenuState;
class OutsideClicks;
class Settings;

// The status menu's panel: built on first use and kept, placed under the tray
// icon (above it when the tray is at the bottom of the screen), opened with
// the keyboard and closed by Esc, by a click anywhere outside our windows, by
// the keyboard going to another window, by the tray icon, by About and by the
// start of a capture. Closing gives the keyboard back to the window that had
// it before the menu opened, unless the user has moved on to another one.
class MenuPanelControl : public QObject {
  Q_OBJECT
 public:
  struct Hooks {
    std::function<QRect()> anchor;  // the tray icon on screen; empty when unknown
    std::function<void()> capture;
    std::function<void()> record;
    std::function<void()> quit;
    std::function<void()> cancelRecording;
    std::function<void()> warmUpFast;
  };

  MenuPanelControl(Settings& settings, MenuState& state, AboutController& about, Hooks hooks,
                   QObject* parent = nullptr);
  ~MenuPanelControl() override;

  void toggle();
  void show();
  void layout();
  void close(bool restoreFocus);
  void about();
  // For a capture started from the menu: closes it without giving the focus
  // back and answers the window to return to after the capture (none when
  // the menu was not open).
  std::optional<uint32_t> handOver();

  bool isOpen() const;
  ToastPanel* panel() const { return panel_; }
  MenuView* view() const { return view_; }
  ActiveWindow::Id appBeforeMenu() const { return appBefore_; }
  bool monitoring() const { return keysWatched_; }

  // The panel's top-left corner for a panel of `size` at a tray icon
  // `anchor` on a screen whose free area is `available`: centred under the
  // icon, its top 14 px above the icon's bottom (the shadow's room overlaps
  // it), or mirrored above the icon when the icon sits in the lower half;
  // 4 px in from the sides, the right side winning on a narrow screen.
  static QPoint placement(const QRect& anchor, const QSize& size, const QRect& available);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void build();
  void closeByItself();
  bool isOurs(ActiveWindow::Id window) const;
  QRect anchorRect() const;

  Settings& settings_;
  MenuState& state_;
  AboutController& about_;
  Hooks hooks_;
  QPointer<ToastPanel> panel_;
  QPointer<MenuView> view_;
  OutsideClicks* clicks_;
  ActiveWindow::Id appBefore_ = 0;
  bool keysWatched_ = false;
  bool closing_ = false;
  QElapsedTimer closedByItself_;
};
