#pragma once
#include <QList>
#include <functional>

#include "core/Lang.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/MenuPage.h"

class BackRow;
class QScrollArea;
class QVBoxLayout;
class Rule;
class SearchField;
class SectionHeader;
class Settings;

// The status menu's interface-language page: a search over the languages'
// own names, their names in the user's language and their codes; automatic
// choice; the recently chosen languages; and a scrolling list of all of them,
// opened centred on the current one.
class UILanguagePage : public MenuPage {
  Q_OBJECT
 public:
  static constexpr int kListHeight = 360;
  static constexpr int kSearchListHeight = 200;
  static constexpr int kRowHeight = 24;

  UILanguagePage(Settings& settings, std::function<void()> back, QWidget* parent = nullptr);

  QString query() const { return query_; }
  void setQuery(const QString& query);
  bool searching() const;
  bool matches(const Lang& language) const;
  // The recent languages that still have a catalogue, most recent first.
  QList<Lang> recent() const;

  void sync();

  SearchField* searchField() const { return search_; }
  QScrollArea* list() const { return list_; }
  // The list's row of a language, or null.
  ChoiceRow* listRow(const Lang& language) const;

 private:
  ChoiceRow::Spec rowSpec(const Lang& language) const;
  void applyQuery();
  void centreOnce();

  Settings& settings_;
  std::function<void()> back_;
  QString query_;
  bool centrePending_;
  BackRow* backRow_;
  SearchField* search_;
  ChoiceRow* auto_;
  SectionHeader* recentHeader_;
  QWidget* recentBox_;
  QVBoxLayout* recentColumn_;
  QList<ChoiceRow*> recentRows_;
  QList<Lang> recentShown_;
  Rule* rule_;
  QScrollArea* list_;
  QList<Lang> languages_;
  QList<ChoiceRow*> rows_;
};
