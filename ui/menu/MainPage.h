#pragma once
#include <functional>

#include "ui/menu/MenuPage.h"
#include "ui/menu/SealCheck.h"

class MenuHeader;
class MenuRow;
class ModeRow;
class NavRow;
class Note;
class PickRow;
class SectionHeader;
class Settings;
class ToggleRow;

// The status menu's first page: header, the pick row with the shortcut, the
// reading options, the language row, the app options, About and Quit. Every
// switch writes a preference; everything that leaves the panel is an action.
class MainPage : public MenuPage {
  Q_OBJECT
 public:
  struct Actions {
    std::function<void()> capture;
    std::function<void()> record;
    std::function<void()> about;
    std::function<void()> quit;
    std::function<void()> openLanguages;
    std::function<void()> warmUpFast;  // after choosing fast mode
  };

  MainPage(Settings& settings, SealCheck::Binding login, Actions actions, QWidget* parent = nullptr);

  // Re-reads the preferences and texts into the rows.
  void sync();

 private:
  Settings& settings_;
  Actions actions_;
  MenuHeader* header_;
  PickRow* pick_;
  Note* shortcutLine_;
  SectionHeader* sectionPick_;
  ToggleRow* joinLines_;
  ToggleRow* tables_;
  ModeRow* mode_;
  Note* modeNote_;
  NavRow* language_;
  SectionHeader* sectionApp_;
  ToggleRow* login_;
  ToggleRow* reports_;
  MenuRow* about_;
  MenuRow* quit_;
};
