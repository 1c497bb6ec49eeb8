// Icons at the start of a line on the detector's road: a file view's rows
// and a sidebar's places carry a pictogram before the name, which is never
// text; a symbol or letter that is text keeps its place. And lines of code
// the detector parts at an underscore are read whole again.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListView>
#include <QPainter>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

#include "recognition/clean/Prepare.h"
#include "recognition/ReadPass.h"
#include "recognition/lines/UnderscoreSeams.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"
#include "tests/recognition/UiScreenScore.h"
#include "tests/recognition/UiScreens.h"

namespace {

class LineIcons : public DetectorRoadTest {};

struct Row {
  QStyle::StandardPixmap icon;  // SP_CustomBase: none
  QString text;
};

// A file view as Fusion draws it: a tree with a header and columns, or a
// list of places, each row's icon from the style.
QImage view(const std::vector<Row>& rows, bool tree, bool dark, int iconSize) {
  QStyle* fusion = uiscreens::detail::fusion();
  QStandardItemModel model;
  if (tree) model.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Size")});
  for (const Row& r : rows) {
    auto* item = new QStandardItem(r.text);
    if (r.icon != QStyle::SP_CustomBase) item->setIcon(fusion->standardIcon(r.icon));
    QList<QStandardItem*> cells{item};
    if (tree) cells << new QStandardItem(QStringLiteral("%1 kB").arg(12 + 7 * model.rowCount()));
    model.appendRow(cells);
  }
  // In a window of the view's palette, a margin around it.
  QWidget window;
  window.setPalette(dark ? uiscreens::detail::darkPalette() : fusion->standardPalette());
  window.setAutoFillBackground(true);
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(12, 12, 12, 12);
  QAbstractItemView* v = nullptr;
  if (tree) {
    auto* t = new QTreeView(&window);
    t->setRootIsDecorated(false);
    v = t;
  } else {
    v = new QListView(&window);
  }
  layout->addWidget(v);
  v->setStyle(fusion);
  v->setPalette(window.palette());
  v->setIconSize(QSize(iconSize, iconSize));
  v->setModel(&model);
  if (tree) static_cast<QTreeView*>(v)->setColumnWidth(0, 300);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(14);
  v->setFont(font);
  window.setAttribute(Qt::WA_DontShowOnScreen);
  window.resize(480, 80 + int(rows.size()) * (iconSize + 14));
  window.show();
  QApplication::processEvents();  // item views lay out their rows later
  QImage shot(window.size(), QImage::Format_RGB32);
  window.render(&shot);
  return shot;
}

TEST_F(LineIcons, FileViewIconsAreNotReadAndTextSymbolsStay) {
  // Rows without an icon that start with a lone symbol or letter of the
  // text's own size and ink: they are read whole.
  const std::vector<Row> rows{{QStyle::SP_DirIcon, QStringLiteral("Photos")},
                              {QStyle::SP_DirIcon, QStringLiteral("archive_2023")},
                              {QStyle::SP_FileIcon, QStringLiteral("build_log.txt")},
                              {QStyle::SP_FileIcon, QStringLiteral("notes.v2.md")},
                              {QStyle::SP_DriveHDIcon, QStringLiteral("Local disk")},
                              {QStyle::SP_TrashIcon, QStringLiteral("Deleted items")},
                              {QStyle::SP_CustomBase, QStringLiteral("+ 2 more files")},
                              {QStyle::SP_CustomBase, QStringLiteral("# draft notes")},
                              {QStyle::SP_CustomBase, QStringLiteral("A short list")}};
  QStringList expected;
  for (const Row& r : rows) expected << r.text;
  const struct {
    bool tree, dark;
    int iconSize;
  } cases[] = {{true, false, 16}, {true, true, 16}, {false, false, 16}, {false, true, 22}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << (c.tree ? "tree" : "list") << (c.dark ? " dark" : " light") << " icons "
                                      << c.iconSize);
    const QImage image = view(rows, c.tree, c.dark, c.iconSize);
    const Recognized read = ocr::readPass(image, QStringLiteral("eng")).result;
    const QString text = read.text();
    QStringList all = expected;
    if (c.tree) {
      all << QStringLiteral("Name Size");
      for (int i = 0; i < int(rows.size()); ++i) all << QStringLiteral("%1 kB").arg(12 + 7 * i);
    }
    const uiscreens::Score s = uiscreens::score(all, text, false);
    EXPECT_EQ(s.found, s.expected) << "missed " << s.missed.join(QLatin1Char(' ')).toStdString() << " in " << text.toStdString();
    EXPECT_TRUE(s.junk.isEmpty()) << "junk " << s.junk.join(QLatin1Char(' ')).toStdString() << " in " << text.toStdString();
  }
}

TEST(UnderscoreSeams, BoxesPartedAtAnUnderscoreAreOneAndAtASpaceStayApart) {
  // The detector's two boxes of one line, parted at the first character of
  // `at` (the seam falls on its left edge).
  const struct {
    const char* line;
    const char* at;
    bool joined;
  } cases[] = {{"def __init__(self, path=None):", "__init", true},
               {"def __init__(self, path=None):", "__(self", true},
               {"__all__ = [\"SensorCache\"]", "__ =", true},
               {"-rw-r--r-- 1 alex 12288 Dec 25 2023 notes", "2023", false},
               {"def open(self, path=None):", "open", false}};
  for (const bool dark : {false, true}) {
    textimages::Style style = dark ? textimages::dark(15) : textimages::Style{};
    style.family = QStringLiteral("DejaVu Sans Mono");
    style.px = 15;
    for (const auto& c : cases) {
      SCOPED_TRACE(::testing::Message() << c.line << " at " << c.at << (dark ? " dark" : " light"));
      const QString line = QString::fromUtf8(c.line);
      const textimages::Rendered r = textimages::lines({line}, style);
      const QImage grey8 = ocr::grey(r.image);
      const QRect ink = r.ink.front();
      const double cell = double(ink.width()) / (line.size() - 0.4);
      const int seam = ink.left() + int(line.indexOf(QString::fromUtf8(c.at)) * cell);
      const int h = ink.height() + 6;
      std::vector<QRect> boxes{QRect(QPoint(ink.left() - 3, ink.top() - 3), QPoint(seam - 1, ink.top() - 3 + h)),
                               QRect(QPoint(seam, ink.top() - 3), QPoint(ink.right() + 3, ink.top() - 3 + h))};
      const ocr::Measure m = ocr::measure(grey8);
      QImage page = grey8;
      if (m.lightOnDark) page.invertPixels();
      ocr::joinAtUnderscores(boxes, page, m.lightOnDark ? 255 - m.background : m.background, m.inkThreshold);
      EXPECT_EQ(boxes.size(), c.joined ? 1u : 2u);
    }
  }
}

}  // namespace
