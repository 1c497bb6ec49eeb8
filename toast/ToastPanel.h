#pragma once
#include <QWidget>

#include "platform/ActiveWindow.h"

// A frameless floating panel that stays above other windows, has no taskbar
// entry and does not take the keyboard when it appears or is clicked, so the
// user's window keeps typing. It takes the keyboard only when asked (an
// editor, a menu) and hands it back to the window that had it before.
class ToastPanel : public QWidget {
  Q_OBJECT
 public:
  explicit ToastPanel(QWidget* parent = nullptr);

  // Makes `content` the panel's only child, filling it.
  void setContent(QWidget* content);
  QWidget* content() const { return content_; }

  // Shows the panel in front without activating it.
  void showInFront();

  // Lets the panel take the keyboard and activates it; remembers the window
  // that had the keyboard (unless the panel already has it).
  void takeKeyboard();
  // Stops taking the keyboard and activates the window remembered by
  // takeKeyboard(), if it still exists. Does nothing unless the panel took it.
  void giveBackKeyboard();
  // True between takeKeyboard() and giveBackKeyboard().
  bool takesKeyboard() const { return takesKeyboard_; }
  // True while the panel is the active window (it receives the keys).
  bool hasKeyboard() const;
  // The window remembered by takeKeyboard(); 0 for none.
  ActiveWindow::Id previousWindow() const { return previous_; }

 signals:
  // The panel was the active window and another window took over.
  void keyboardLost();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void setAcceptsFocus(bool accepts);
  void markAsFloating();

  QWidget* content_ = nullptr;
  bool takesKeyboard_ = false;
  ActiveWindow::Id previous_ = 0;
  bool wasActive_ = false;
};
