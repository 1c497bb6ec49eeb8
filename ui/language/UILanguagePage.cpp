#include "ui/language/UILanguagePage.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Settings.h"
#include "core/Strings.h"
#include "ui/language/LanguageSearch.h"
#include "ui/language/SearchField.h"
#include "ui/language/ThinScrollBar.h"
#include "ui/menu/LanguageSummary.h"
#include "ui/menu/NavRows.h"
#include "ui/menu/Pieces.h"

UILanguagePage::UILanguagePage(Settings& settings, std::function<void()> back, QWidget* parent)
    : MenuPage(parent), settings_(settings), back_(std::move(back)), centrePending_(!settings.language().isAuto()) {
  backRow_ = new BackRow(back_, this);
  search_ = new SearchField(this);
  auto_ = new ChoiceRow({}, [this] { settings_.setLanguage(Lang(QStringLiteral("auto"))); }, this);
  recentHeader_ = new SectionHeader(10, 6, 2, this);
  recentBox_ = new QWidget(this);
  recentColumn_ = new QVBoxLayout(recentBox_);
  recentColumn_->setContentsMargins(0, 0, 0, 0);
  recentColumn_->setSpacing(1);
  rule_ = new Rule(this);

  list_ = new QScrollArea(this);
  list_->setFrameShape(QFrame::NoFrame);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setVerticalScrollBar(new ThinScrollBar(list_));
  list_->setWidgetResizable(true);
  list_->viewport()->setAutoFillBackground(false);
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  languages_ = Lang::concrete();
  for (const Lang& language : languages_) {
    auto* row = new ChoiceRow(rowSpec(language), [this, language] { settings_.setLanguage(language); }, content);
    row->setObjectName(language.rawValue());
    column->addWidget(row);
    rows_ << row;
  }
  column->addStretch(1);
  list_->setWidget(content);
  // setWidget() turns the background on; the rows lie on the panel.
  content->setAutoFillBackground(false);
  list_->setFixedHeight(kListHeight);

  backRow_->setObjectName(QStringLiteral("back"));
  search_->setObjectName(QStringLiteral("search"));
  auto_->setObjectName(QStringLiteral("auto"));
  recentHeader_->setObjectName(QStringLiteral("recentHeader"));
  recentBox_->setObjectName(QStringLiteral("recent"));
  rule_->setObjectName(QStringLiteral("rule"));
  list_->setObjectName(QStringLiteral("list"));

  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(0, 0, 0, 0);
  page->setSpacing(1);
  for (QWidget* w : std::initializer_list<QWidget*>{backRow_, search_, auto_, recentHeader_, recentBox_, rule_, list_}) {
    page->addWidget(w);
  }
  page->addStretch(1);

  connect(search_, &SearchField::textChanged, this, &UILanguagePage::setQuery);
  // The list is centred on the current language once, when its size is known.
  connect(list_->verticalScrollBar(), &QScrollBar::rangeChanged, this, &UILanguagePage::centreOnce);
  connect(&settings_, &Settings::changed, this, &UILanguagePage::sync);
  sync();
}

ChoiceRow::Spec UILanguagePage::rowSpec(const Lang& language) const {
  const bool chosen = settings_.language().rawValue() == language.rawValue();
  return {ChoiceRow::Mark::radio(chosen), menu::nativeName(language.rawValue()), std::nullopt, std::nullopt, chosen,
          qreal(kRowHeight)};
}

bool UILanguagePage::searching() const { return !langsearch::trimmed(query_).isEmpty(); }

bool UILanguagePage::matches(const Lang& language) const { return langsearch::matches(language.rawValue(), query_); }

QList<Lang> UILanguagePage::recent() const {
  QList<Lang> out;
  for (const QString& code : settings_.recentLanguages()) {
    if (Catalog::codes().contains(code)) out << Lang(code);
  }
  return out;
}

ChoiceRow* UILanguagePage::listRow(const Lang& language) const {
  const qsizetype at = languages_.indexOf(language);
  return at >= 0 ? rows_[at] : nullptr;
}

void UILanguagePage::setQuery(const QString& query) {
  if (query == query_) return;
  query_ = query;
  // The field may not be the source (tests, the clear button).
  if (search_->edit()->text() != query) search_->edit()->setText(query);
  applyQuery();
}

void UILanguagePage::sync() {
  const Strings t = L::table(settings_.language());
  backRow_->setTexts(t.uiText, t.back);
  search_->setPlaceholder(t.search + QStringLiteral(" \u00B7 ") + QString::number(languages_.size()));
  search_->refreshColors();
  const bool isAuto = settings_.language().isAuto();
  auto_->setSpec({ChoiceRow::Mark::radio(isAuto), t.auto_,
                  t.nowSystem(menu::nativeName(Lang(QStringLiteral("auto")).resolved().rawValue())), std::nullopt,
                  isAuto, std::nullopt});
  recentHeader_->setText(t.recent);

  // Rows are reused, never deleted: a click on one of them is what got us here.
  recentShown_ = recent();
  while (recentRows_.size() < recentShown_.size()) {
    const int index = int(recentRows_.size());
    auto* row = new ChoiceRow({}, [this, index] {
      if (index < recentShown_.size()) settings_.setLanguage(recentShown_[index]);
    }, recentBox_);
    recentColumn_->addWidget(row);
    recentRows_ << row;
  }
  for (int i = 0; i < recentRows_.size(); ++i) {
    if (i < recentShown_.size()) recentRows_[i]->setSpec(rowSpec(recentShown_[i]));
    recentRows_[i]->setVisible(i < recentShown_.size());
  }
  for (int i = 0; i < rows_.size(); ++i) rows_[i]->setSpec(rowSpec(languages_[i]));
  applyQuery();
}

void UILanguagePage::applyQuery() {
  const bool search = searching();
  auto_->setVisible(!search);
  recentHeader_->setVisible(!search && !recentShown_.isEmpty());
  recentBox_->setVisible(!search && !recentShown_.isEmpty());
  rule_->setVisible(!search);
  search_->setClearVisible(search);
  for (int i = 0; i < rows_.size(); ++i) rows_[i]->setVisible(matches(languages_[i]));
  list_->setFixedHeight(search ? kSearchListHeight : kListHeight);
  emit contentChanged();
}

void UILanguagePage::centreOnce() {
  if (!centrePending_) return;
  ChoiceRow* row = listRow(settings_.language());
  if (!row) {
    centrePending_ = false;
    return;
  }
  // Rows are all the same height, so the place is known before layout; wait
  // for the range that the finished layout gives.
  const int viewport = list_->viewport()->height();
  if (viewport != list_->height()) return;
  int offset = -1;
  int total = 0;
  for (ChoiceRow* r : rows_) {
    if (r == row) offset = total;
    if (!r->isHidden()) total += kRowHeight;
  }
  QScrollBar* bar = list_->verticalScrollBar();
  if (bar->maximum() != std::max(0, total - viewport)) return;
  const int target = offset + kRowHeight / 2 - viewport / 2;
  bar->setValue(std::clamp(target, bar->minimum(), bar->maximum()));
  centrePending_ = false;
}
