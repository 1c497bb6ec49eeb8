#pragma once
// Screenshots of real application dialogs, made at test time from Qt widgets
// in the Fusion style (light and dark palettes, device pixel ratios 1 and 2),
// with the words a reader should find taken from the widgets themselves.
// Shared by the recognition tests and bench/ocr_bench; needs a QApplication
// on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <memory>

#include "tests/recognition/UiScreenTexts.h"

namespace uiscreens {

enum class Kind { Print, Settings, Files, Printers };
inline const char* kindName(Kind k) {
  return k == Kind::Print ? "print" : k == Kind::Settings ? "settings" : k == Kind::Files ? "files" : "printers";
}

struct Screen {
  const Language* language = nullptr;
  Kind kind = Kind::Print;
  int ratio = 1;
  bool dark = false;
  QImage image;
  QStringList expected;     // every visible text of the widgets
  QString defaultButton;    // the default button's text
  QStringList selectedRow;  // the cells of the selected table row (file list only)
};

namespace detail {

// Makes Fusion the application's style. The application owns its style and
// deletes it when another test sets one: it is asked for by name, never kept.
inline QStyle* fusion() {
  if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
    QApplication::setStyle(QStringLiteral("Fusion"));
  return QApplication::style();
}

inline QPalette darkPalette() {
  QPalette p;
  const QColor window(53, 53, 53), base(42, 42, 42), text(230, 230, 230);
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::Window, window);
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::Base, base);
    p.setColor(group, QPalette::AlternateBase, window);
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::Button, window);
    p.setColor(group, QPalette::ButtonText, text);
    p.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(group, QPalette::HighlightedText, Qt::white);
    p.setColor(group, QPalette::Light, QColor(80, 80, 80));
    p.setColor(group, QPalette::Mid, QColor(40, 40, 40));
    p.setColor(group, QPalette::Dark, QColor(25, 25, 25));
  }
  return p;
}

// A screenshot shows the active window: its selection in the active colour.
inline void activeSelection(QPalette& p) {
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
    p.setColor(QPalette::Inactive, role, p.color(QPalette::Active, role));
}

// The suggested action of many desktops: white on the accent colour.
inline void accent(QPushButton* button) {
  QPalette p = button->palette();
  p.setColor(QPalette::Button, p.color(QPalette::Active, QPalette::Highlight));
  p.setColor(QPalette::ButtonText, Qt::white);
  button->setPalette(p);
}

inline QHBoxLayout* buttonRow(QWidget* parent, const QStringList& texts, int defaultIndex, bool accented,
                              QString* defaultText) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  for (int i = 0; i < texts.size(); ++i) {
    auto* b = new QPushButton(texts[i], parent);
    b->setMinimumWidth(80);
    if (i == defaultIndex) {
      b->setDefault(true);
      if (accented) accent(b);
      *defaultText = texts[i];
    }
    row->addWidget(b);
  }
  return row;
}

inline void buildPrint(QWidget* d, const Texts& t, Screen& s) {
  auto* root = new QVBoxLayout(d);
  auto* box = new QGroupBox(t.printer, d);
  auto* form = new QFormLayout(box);
  auto* device = new QComboBox(box);
  device->addItems({t.device});
  device->setMinimumWidth(200);
  auto* copies = new QSpinBox(box);
  copies->setValue(2);
  auto* range = new QLineEdit(t.range, box);
  auto* paper = new QComboBox(box);
  paper->addItems({t.size});
  form->addRow(t.name, device);
  form->addRow(t.copies, copies);
  form->addRow(t.pages, range);
  form->addRow(t.paper, paper);
  root->addWidget(box);
  auto* options = new QHBoxLayout;
  auto* duplex = new QCheckBox(t.duplex, d);
  duplex->setChecked(true);
  options->addWidget(duplex);
  options->addWidget(new QCheckBox(t.collate, d));
  options->addStretch();
  root->addLayout(options);
  auto* turn = new QGroupBox(t.orientation, d);
  auto* turnRow = new QHBoxLayout(turn);
  auto* portrait = new QRadioButton(t.portrait, turn);
  portrait->setChecked(true);
  turnRow->addWidget(portrait);
  turnRow->addWidget(new QRadioButton(t.landscape, turn));
  turnRow->addStretch();
  root->addWidget(turn);
  root->addLayout(buttonRow(d, {t.cancel, t.print}, 1, true, &s.defaultButton));
}

inline void buildSettings(QWidget* d, const Texts& t, Screen& s) {
  auto* root = new QVBoxLayout(d);
  auto* tabs = new QTabWidget(d);
  tabs->setUsesScrollButtons(false);  // every tab in view: the dialog grows instead
  auto* page = new QWidget;
  auto* col = new QVBoxLayout(page);
  auto* startup = new QGroupBox(t.startup, page);
  auto* startCol = new QVBoxLayout(startup);
  auto* login = new QCheckBox(t.atLogin, startup);
  login->setChecked(true);
  startCol->addWidget(login);
  startCol->addWidget(new QCheckBox(t.inTray, startup));
  col->addWidget(startup);
  auto* line = new QFrame(page);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  col->addWidget(line);
  auto* theme = new QGroupBox(t.theme, page);
  auto* themeCol = new QVBoxLayout(theme);
  for (const QString& option : {t.light, t.dark, t.system}) themeCol->addWidget(new QRadioButton(option, theme));
  theme->findChildren<QRadioButton*>().front()->setChecked(true);
  col->addWidget(theme);
  auto* form = new QFormLayout;
  form->addRow(t.folder, new QLineEdit(t.documents, page));
  col->addLayout(form);
  tabs->addTab(page, t.tabs[0]);
  for (int i = 1; i < t.tabs.size(); ++i) tabs->addTab(new QWidget, t.tabs[i]);
  root->addWidget(tabs);
  root->addLayout(buttonRow(d, {t.apply, t.ok}, 1, false, &s.defaultButton));
}

inline void buildFiles(QWidget* d, const Texts& t, Screen& s) {
  auto* root = new QVBoxLayout(d);
  auto* header = new QLabel(t.recent, d);
  QFont bold = header->font();
  bold.setBold(true);
  header->setFont(bold);
  header->setMargin(8);
  header->setAutoFillBackground(true);
  QPalette hp = header->palette();
  hp.setColor(QPalette::Window, QColor(55, 71, 79));
  hp.setColor(QPalette::WindowText, Qt::white);
  header->setPalette(hp);
  root->addWidget(header);
  auto* tools = new QHBoxLayout;
  for (auto icon : {QStyle::SP_FileDialogNewFolder, QStyle::SP_TrashIcon, QStyle::SP_BrowserReload,
                    QStyle::SP_FileDialogDetailedView}) {
    auto* b = new QToolButton(d);
    b->setIcon(d->style()->standardIcon(icon));
    b->setAutoRaise(false);
    tools->addWidget(b);
  }
  tools->addStretch();
  root->addLayout(tools);
  auto* table = new QTableWidget(int(t.rows.size()), int(t.headers.size()), d);
  table->setHorizontalHeaderLabels(t.headers);
  table->verticalHeader()->hide();
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setShowGrid(false);
  for (int r = 0; r < int(t.rows.size()); ++r)
    for (int c = 0; c < t.headers.size(); ++c) table->setItem(r, c, new QTableWidgetItem(t.rows[size_t(r)][c]));
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->selectRow(1);
  s.selectedRow = t.rows[1];
  // Fewer rows than the table holds, so that a scroll bar shows.
  table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + 4 * table->verticalHeader()->defaultSectionSize() + 4);
  table->setMinimumWidth(420);
  root->addWidget(table);
  root->addLayout(buttonRow(d, {t.cancel, t.open}, 1, true, &s.defaultButton));
}

// GTK's printer chooser, as Qt widgets: tabs over a list of printers (the
// first selected), a range of radio buttons beside copies in a spin box, and
// three buttons. Short words stand alone in it, thick with a script's marks.
inline void buildPrinters(QWidget* d, const Texts& t, Screen& s) {
  auto* root = new QVBoxLayout(d);
  auto* tabs = new QTabWidget(d);
  auto* page = new QWidget;
  auto* col = new QVBoxLayout(page);
  auto* list = new QTreeWidget(page);
  list->setHeaderLabels(t.printerColumns);
  list->setRootIsDecorated(false);
  list->setMinimumSize(460, 160);
  for (const QString& name : {t.toFile, t.device}) new QTreeWidgetItem(list, {name});
  list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);  // no name cut short
  list->setCurrentItem(list->topLevelItem(0));
  col->addWidget(list);
  auto* below = new QHBoxLayout;
  auto* range = new QGroupBox(t.rangeTitle, page);
  auto* rangeGrid = new QGridLayout(range);
  auto* all = new QRadioButton(t.allPages, range);
  all->setChecked(true);
  rangeGrid->addWidget(all, 0, 0, 1, 2);
  rangeGrid->addWidget(new QRadioButton(t.currentPage, range), 1, 0, 1, 2);
  rangeGrid->addWidget(new QRadioButton(t.pages, range), 2, 0);
  rangeGrid->addWidget(new QLineEdit(range), 2, 1);
  below->addWidget(range);
  auto* copies = new QGroupBox(t.copiesTitle, page);
  auto* copiesGrid = new QGridLayout(copies);
  copiesGrid->addWidget(new QLabel(t.copies, copies), 0, 0);
  auto* count = new QSpinBox(copies);
  count->setValue(1);
  copiesGrid->addWidget(count, 0, 1);
  auto* collate = new QCheckBox(t.collate, copies);
  collate->setChecked(true);
  copiesGrid->addWidget(collate, 1, 0, 1, 2);
  copiesGrid->addWidget(new QCheckBox(t.reverse, copies), 2, 0, 1, 2);
  below->addWidget(copies);
  col->addLayout(below);
  tabs->addTab(page, t.printTabs[0]);
  tabs->addTab(new QWidget, t.printTabs[1]);
  root->addWidget(tabs);
  root->addLayout(buttonRow(d, {t.preview, t.cancel, t.print}, 2, true, &s.defaultButton));
}

inline QString plain(QString text) { return text.remove(QLatin1Char('&')); }

// Every text the dialog shows, widget by widget; table cells only when their
// row lies wholly in view.
inline QStringList visibleTexts(QWidget* root) {
  QStringList out;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root)) continue;
    if (auto* label = qobject_cast<QLabel*>(w)) out << label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) out << plain(button->text());
    else if (auto* box = qobject_cast<QGroupBox*>(w)) out << box->title();
    else if (auto* combo = qobject_cast<QComboBox*>(w)) out << combo->currentText();
    else if (auto* edit = qobject_cast<QLineEdit*>(w)) out << edit->text();  // spin boxes' too
    else if (auto* bar = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < bar->count(); ++i) out << bar->tabText(i);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
      for (int c = 0; c < tree->columnCount(); ++c) out << tree->headerItem()->text(c);
      for (int r = 0; r < tree->topLevelItemCount(); ++r)
        for (int c = 0; c < tree->columnCount(); ++c) out << tree->topLevelItem(r)->text(c);
    } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
      for (int c = 0; c < table->columnCount(); ++c) out << table->horizontalHeaderItem(c)->text();
      const QRect view = table->viewport()->rect();
      for (int r = 0; r < table->rowCount(); ++r) {
        if (!view.contains(table->visualItemRect(table->item(r, 0)))) continue;
        for (int c = 0; c < table->columnCount(); ++c) out << table->item(r, c)->text();
      }
    }
  }
  out.removeAll(QString());
  return out;
}

}  // namespace detail

// The dialog itself, not yet shown: `s` gets its language, kind and palette,
// its default button and selected row.
inline std::unique_ptr<QWidget> build(const Language& language, Kind kind, bool dark, Screen& s) {
  QStyle* fusion = detail::fusion();
  s.language = &language;
  s.kind = kind;
  s.dark = dark;
  auto dialog = std::make_unique<QWidget>();
  QPalette palette = dark ? detail::darkPalette() : fusion->standardPalette();
  detail::activeSelection(palette);
  dialog->setPalette(palette);
  QFont font(QString::fromLatin1(language.family));
  font.setPixelSize(13);
  dialog->setFont(font);
  dialog->setLayoutDirection(language.rtl ? Qt::RightToLeft : Qt::LeftToRight);
  if (kind == Kind::Print) detail::buildPrint(dialog.get(), language.texts, s);
  if (kind == Kind::Settings) detail::buildSettings(dialog.get(), language.texts, s);
  if (kind == Kind::Files) detail::buildFiles(dialog.get(), language.texts, s);
  if (kind == Kind::Printers) detail::buildPrinters(dialog.get(), language.texts, s);
  return dialog;
}

// `w` laid out off screen and drawn at `ratio` on its window colour.
inline QImage grab(QWidget& w, int ratio) {
  w.setAttribute(Qt::WA_DontShowOnScreen);
  w.show();
  w.adjustSize();
  QApplication::processEvents();  // item views lay out their rows later

  QImage shot(w.size() * ratio, QImage::Format_RGB32);
  shot.setDevicePixelRatio(ratio);
  shot.fill(w.palette().color(QPalette::Window));
  w.render(&shot);
  shot.setDevicePixelRatio(1);
  return shot;
}

inline Screen render(const Language& language, Kind kind, int ratio, bool dark) {
  Screen s;
  s.ratio = ratio;
  const std::unique_ptr<QWidget> dialog = build(language, kind, dark, s);
  s.image = grab(*dialog, ratio);
  s.expected = detail::visibleTexts(dialog.get());
  return s;
}

// Every language (or those in `only`) x kind x ratio, the light palette, and
// the dark one at ratio 1.
inline std::vector<Screen> all(const QStringList& only = {}) {
  std::vector<Screen> out;
  for (const Language& language : languages()) {
    if (!only.isEmpty() && !only.contains(QLatin1String(language.id))) continue;
    for (Kind kind : {Kind::Print, Kind::Settings, Kind::Files, Kind::Printers}) {
      for (int ratio : {1, 2}) out.push_back(render(language, kind, ratio, false));
      out.push_back(render(language, kind, 1, true));
    }
  }
  return out;
}

inline const Language& language(const char* id) {
  for (const Language& l : languages())
    if (qstrcmp(l.id, id) == 0) return l;
  return languages().front();
}

}  // namespace uiscreens
