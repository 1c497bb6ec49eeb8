#include "ui/menu/MainPage.h"

#include <QVBoxLayout>

#include "core/Settings.h"
#include "core/Strings.h"
#include "ui/menu/LanguageSummary.h"
#include "ui/menu/MainWidth.h"
#include "ui/menu/MenuRow.h"
#include "ui/menu/NavRows.h"
#include "ui/menu/Pieces.h"
#include "ui/menu/Rows.h"

MainPage::MainPage(Settings& settings, SealCheck::Binding login, Actions actions, QWidget* parent)
    : MenuPage(parent), settings_(settings), actions_(std::move(actions)) {
  Settings* s = &settings_;
  header_ = new MenuHeader(this);
  pick_ = new PickRow(settings_, actions_.capture, actions_.record, this);
  shortcutLine_ = new Note(11, menu::Tone::faint, QMargins(8, 3, 8, 0), this);
  sectionPick_ = new SectionHeader(10, 8, 2, this);
  joinLines_ = new ToggleRow({[s] { return s->joinLines(); }, [s](bool v) { s->setJoinLines(v); }}, this);
  tables_ = new ToggleRow({[s] { return s->tables(); }, [s](bool v) { s->setTables(v); }}, this);
  mode_ = new ModeRow(
      [this] {
        settings_.setFastMode(true);
        if (actions_.warmUpFast) actions_.warmUpFast();
      },
      [this] { settings_.setFastMode(false); }, this);
  modeNote_ = new Note(11, menu::Tone::faint, QMargins(8, 0, 8, 4), this);
  language_ = new NavRow(actions_.openLanguages, this);
  sectionApp_ = new SectionHeader(10, 8, 2, this);
  login_ = new ToggleRow(std::move(login), this);
  reports_ = new ToggleRow({[s] { return s->reports(); }, [s](bool v) { s->setReports(v); }}, this);
  about_ = new MenuRow(QString(), std::nullopt, actions_.about, this);
  quit_ = new MenuRow(QString(), menu::quitHint(), actions_.quit, this);

  header_->setObjectName(QStringLiteral("header"));
  pick_->setObjectName(QStringLiteral("pick"));
  shortcutLine_->setObjectName(QStringLiteral("shortcutLine"));
  joinLines_->setObjectName(QStringLiteral("joinLines"));
  tables_->setObjectName(QStringLiteral("tables"));
  mode_->setObjectName(QStringLiteral("mode"));
  modeNote_->setObjectName(QStringLiteral("modeNote"));
  language_->setObjectName(QStringLiteral("language"));
  login_->setObjectName(QStringLiteral("openAtLogin"));
  reports_->setObjectName(QStringLiteral("reports"));
  about_->setObjectName(QStringLiteral("about"));
  quit_->setObjectName(QStringLiteral("quit"));

  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(1);
  for (QWidget* w : std::initializer_list<QWidget*>{header_, pick_, shortcutLine_, sectionPick_, joinLines_, tables_,
                                                    mode_, modeNote_, language_, sectionApp_, login_, reports_}) {
    column->addWidget(w);
  }
  column->addWidget(new Rule(this));
  column->addWidget(about_);
  column->addWidget(quit_);
  column->addStretch(1);

  connect(&settings_, &Settings::changed, this, &MainPage::sync);
  sync();
}

void MainPage::sync() {
  const Strings t = L::table(settings_.language());
  header_->setTexts(t.appName, t.tagline);
  pick_->setPickText(t.pick);

  // A refused combination's note wins over the recording hint.
  if (const auto note = settings_.shortcutNote()) {
    shortcutLine_->setText(*note);
    shortcutLine_->setTone(menu::Tone::seal);
    shortcutLine_->setVisible(true);
  } else if (settings_.recording()) {
    shortcutLine_->setText(t.recordHint);
    shortcutLine_->setTone(menu::Tone::faint);
    shortcutLine_->setVisible(true);
  } else {
    shortcutLine_->setVisible(false);
  }

  sectionPick_->setText(t.sectionPick);
  joinLines_->setTexts(t.joinLines, t.on, t.off);
  tables_->setTexts(t.tables, t.on, t.off);
  tables_->setDimmed(settings_.fastMode());
  mode_->setTexts(t.ocrMode, t.modeFast, t.modeAccurate);
  mode_->setFast(settings_.fastMode());
  modeNote_->setText(t.modeFastNote);
  language_->setTexts(t.language, menu::languageSummary(settings_.language(), t));
  sectionApp_->setText(t.sectionApp);
  login_->setTexts(t.openAtLogin, t.on, t.off);
  reports_->setTexts(t.reports, t.on, t.off);
  about_->setTitle(t.about);
  quit_->setTitle(t.quit);
  for (ToggleRow* row : {joinLines_, tables_, login_, reports_}) row->check()->refresh();
  emit contentChanged();
}
