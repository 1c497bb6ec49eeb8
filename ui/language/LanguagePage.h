#pragma once
#include <QList>
#include <functional>

#include "ui/menu/MenuPage.h"

class BackRow;
class ChoiceRow;
class NavRow;
class Rule;
class SectionHeader;
class Settings;

// The status menu's recognition-language page: automatic or hand-picked
// languages (numbered in the order they are handed to the recogniser), the
// fallback switch, and the way on to the interface-language page.
class LanguagePage : public MenuPage {
  Q_OBJECT
 public:
  struct Actions {
    std::function<void()> back;
    std::function<void()> openUILanguages;
  };

  LanguagePage(Settings& settings, Actions actions, QWidget* parent = nullptr);

  void sync();

  // The manual row's action: the first switch to manual with nothing stored
  // seeds the list from the user's preferred languages.
  static void chooseManual(Settings& settings);
  // Ticks or unticks one language; the last ticked language cannot be unticked.
  static void toggle(Settings& settings, const QString& code);

  // One row per installed table language, in table order.
  const QList<ChoiceRow*>& languageRows() const { return languageRows_; }

 private:
  Settings& settings_;
  Actions actions_;
  BackRow* back_;
  NavRow* uiLanguage_;
  SectionHeader* header_;
  ChoiceRow* auto_;
  ChoiceRow* manual_;
  QWidget* list_;
  Rule* fallbackRule_;
  ChoiceRow* fallback_;
  QList<ChoiceRow*> languageRows_;
};
