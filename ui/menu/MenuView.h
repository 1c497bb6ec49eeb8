#pragma once
#include <QPainterPath>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "core/Lang.h"
#include "ui/menu/MenuState.h"

class MenuPage;
class Settings;

// The status menu's content: a rounded, shadowed plate holding the page that
// MenuState names. The view never sizes or moves its window: when its content
// may have changed size it calls the `relayout` action one turn of the event
// loop later, and the window's owner fits and places the window again.
class MenuView : public QWidget {
  Q_OBJECT
 public:
  struct Actions {
    std::function<void()> capture;
    std::function<void()> record;
    std::function<void()> about;
    std::function<void()> quit;
    std::function<void()> relayout;
  };

  static constexpr int kOuter = 18;  // room for the shadow around the plate
  static constexpr int kInset = 6;   // between the plate's edge and the page

  MenuView(Settings& settings, MenuState& state, Actions actions, QWidget* parent = nullptr);

  // The whole view's fitting size: the plate (page width by content height)
  // plus the shadow's room.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }
  // The plate's width: the main page's measured width, or 232 on the language pages.
  qreal plateWidth() const;
  QRectF plateRect() const;
  // The plate's outline, for hosts that cannot show translucent windows.
  QPainterPath plateShape() const;

  MenuPage* page() const { return page_; }
  bool login() const { return login_; }
  // What choosing fast mode warms up: the owner passes the fast recognition
  // path's warm-up (LiveText::warmUp); nothing is warmed up without it.
  void setWarmUp(std::function<void()> warmUp) { warmUp_ = std::move(warmUp); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void buildPage();
  void placePage();
  void settingsChanged();
  void requestRelayout(bool force);
  void runRelayout();
  void setLogin(bool on);

  Settings& settings_;
  MenuState& state_;
  Actions actions_;
  std::function<void()> warmUp_;
  QPointer<MenuPage> page_;
  bool login_;

  // What the last change notice saw; a change of these always asks for a relayout.
  bool seenManual_;
  Lang seenLanguage_;
  bool seenFast_;

  bool relayoutPending_ = false;
  bool relayoutForced_ = false;
  QSize reportedSize_;
};

// Fits a top-level window around `content` (its only child, or the window
// itself) at the content's fitting size, keeping the window's position, and
// returns that size. Hosts call it from the menu's relayout action.
QSize fitToContent(QWidget* window, QWidget* content);
