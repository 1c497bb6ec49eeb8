#include "ui/language/LanguagePage.h"

#include <QEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "recognition/base/OCRLanguages.h"
#include "ui/language/OCRChoice.h"
#include "ui/menu/ChoiceRow.h"
#include "ui/menu/LanguageSummary.h"
#include "ui/menu/NavRows.h"
#include "ui/menu/Paint.h"
#include "ui/menu/Pieces.h"

namespace {

// The hand-picked languages, indented under the manual row with a thin guide
// line along their leading edge, like a branch of a tree.
class GuideList : public QWidget {
 public:
  static constexpr int kLeading = 18;  // before the guide line
  static constexpr int kIndent = 6;    // from the guide line to the rows
  static constexpr int kTrailing = 4;
  static constexpr int kVertical = 2;

  explicit GuideList(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
  }

  void addRow(ChoiceRow* row) {
    row->setParent(this);
    rows_ << row;
    updateGeometry();
  }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override {
    int h = 2 * kVertical;
    for (ChoiceRow* row : rows_) h += row->heightForWidth(rowWidth(width));
    return h;
  }
  QSize sizeHint() const override { return {200, heightForWidth(200)}; }

 protected:
  void resizeEvent(QResizeEvent*) override { place(); }
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::LayoutDirectionChange) place();
    QWidget::changeEvent(event);
  }
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(menu::visual(this, QRectF(kLeading, kVertical, 1, height() - 2 * kVertical)), Ink::rule());
  }

 private:
  static int rowWidth(int width) { return std::max(1, width - kLeading - kIndent - kTrailing); }
  void place() {
    int y = kVertical;
    const int w = rowWidth(width());
    for (ChoiceRow* row : rows_) {
      const int h = row->heightForWidth(w);
      row->setGeometry(menu::visual(this, QRectF(kLeading + kIndent, y, w, h)).toRect());
      y += h;
    }
  }

  QList<ChoiceRow*> rows_;
};

}  // namespace

LanguagePage::LanguagePage(Settings& settings, Actions actions, QWidget* parent)
    : MenuPage(parent), settings_(settings), actions_(std::move(actions)) {
  back_ = new BackRow(actions_.back, this);
  uiLanguage_ = new NavRow(actions_.openUILanguages, this);
  header_ = new SectionHeader(11, 6, 3, this);
  auto_ = new ChoiceRow({}, [this] { settings_.setOcrManual(false); }, this);
  manual_ = new ChoiceRow({}, [this] { chooseManual(settings_); }, this);
  auto* list = new GuideList(this);
  for (const OCRChoice::Entry& entry : OCRChoice::all()) {
    const QString code = entry.code;
    auto* row = new ChoiceRow({}, [this, code] { toggle(settings_, code); }, list);
    row->setObjectName(code);
    list->addRow(row);
    languageRows_ << row;
  }
  list_ = list;
  fallbackRule_ = new Rule(this);
  fallback_ = new ChoiceRow({}, [this] { settings_.setOcrFallback(!settings_.ocrFallback()); }, this);

  back_->setObjectName(QStringLiteral("back"));
  uiLanguage_->setObjectName(QStringLiteral("uiLanguage"));
  header_->setObjectName(QStringLiteral("header"));
  auto_->setObjectName(QStringLiteral("auto"));
  manual_->setObjectName(QStringLiteral("manual"));
  list_->setObjectName(QStringLiteral("list"));
  fallback_->setObjectName(QStringLiteral("fallback"));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(1);
  column->addWidget(back_);
  column->addWidget(new Rule(this));
  column->addWidget(uiLanguage_);
  column->addWidget(new Rule(this));
  column->addWidget(header_);
  column->addWidget(auto_);
  column->addWidget(manual_);
  column->addWidget(list_);
  column->addWidget(fallbackRule_);
  column->addWidget(fallback_);
  column->addStretch(1);

  connect(&settings_, &Settings::changed, this, &LanguagePage::sync);
  sync();
}

void LanguagePage::sync() {
  const Strings t = L::table(settings_.language());
  const bool manual = settings_.ocrManual();
  back_->setTexts(t.language, t.back);
  uiLanguage_->setTexts(t.uiText, menu::languageSummary(settings_.language(), t));
  header_->setText(t.ocrText);
  auto_->setSpec({ChoiceRow::Mark::radio(!manual), t.ocrAuto,
                  manual ? std::nullopt : std::optional<QString>(t.ocrAutoSub), std::nullopt, !manual, std::nullopt});
  manual_->setSpec({ChoiceRow::Mark::radio(manual), t.ocrManual,
                    manual ? std::optional<QString>(t.ocrManualSub) : std::nullopt, std::nullopt, manual,
                    std::nullopt});

  // Numbers show the recogniser's priority: table order, not ticking order.
  const QStringList order = OCRChoice::ordered(settings_.ocrLanguages());
  const QList<OCRChoice::Entry>& entries = OCRChoice::all();
  for (int i = 0; i < languageRows_.size(); ++i) {
    const qsizetype at = order.indexOf(entries[i].code);
    languageRows_[i]->setSpec({ChoiceRow::Mark::check(at >= 0), entries[i].name,
                               std::nullopt,
                               at >= 0 ? std::optional<QString>(QString::number(at + 1)) : std::nullopt, false, 24});
  }
  fallback_->setSpec({ChoiceRow::Mark::check(settings_.ocrFallback()), t.fallback, t.fallbackSub, std::nullopt, false,
                      std::nullopt});
  list_->setVisible(manual);
  fallbackRule_->setVisible(manual);
  fallback_->setVisible(manual);
  emit contentChanged();
}

void LanguagePage::chooseManual(Settings& settings) {
  if (!settings.ocrManual() && settings.ocrLanguages().isEmpty()) {
    settings.setOcrLanguages(OCRLanguages::primary(std::nullopt));
  }
  settings.setOcrManual(true);
}

void LanguagePage::toggle(Settings& settings, const QString& code) {
  QStringList list = settings.ocrLanguages();
  const qsizetype at = list.indexOf(code);
  if (at >= 0) {
    // The last ticked language stays: a manual choice with nothing ticked
    // would leave recognition without a language.
    if (OCRChoice::ordered(list) == QStringList{code}) return;
    list.removeAt(at);
  } else {
    list << code;
  }
  settings.setOcrLanguages(OCRChoice::ordered(list));
}
