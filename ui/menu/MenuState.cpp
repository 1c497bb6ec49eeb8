#include "ui/menu/MenuState.h"

void MenuState::setPage(Page page) {
  if (page == page_) return;
  page_ = page;
  emit pageChanged(page);
}
