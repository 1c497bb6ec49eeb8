#pragma once
#include <QObject>

// Which page the status menu shows. The owner of the panel resets it to the
// main page at every opening.
class MenuState : public QObject {
  Q_OBJECT
 public:
  enum class Page { main, language, uiLanguage };

  using QObject::QObject;

  Page page() const { return page_; }
  // Emits pageChanged only for a real change.
  void setPage(Page page);

 signals:
  void pageChanged(MenuState::Page page);

 private:
  Page page_ = Page::main;
};
