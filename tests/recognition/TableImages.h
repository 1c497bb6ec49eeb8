#pragma once
// Pictures of what users pick that look a little like tables, or are tables:
// monospace prose, a form of real widgets, a terminal listing, and tables in
// right-to-left scripts whose word boxes are known from the drawing. Rendered
// at test time with installed faces; needs a QApplication (the form is made
// of widgets). Shared by the table tests and bench/evidence runs.
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFont>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLabel>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QPainter>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>

#include "tests/recognition/TextImages.h"

namespace tableimages {

// Five lines of minutes wrapped as an editor wraps them. In a monospace face
// the single spaces of several lines fall in the same columns, four times
// here, and leave free strips a space wide from top to bottom.
inline const QStringList& minutes() {
  static const QStringList lines{
      QStringLiteral("discussion, members had agreed that all friends may come"),
      QStringLiteral("and use the large rooms on weekdays until dusk, if they ask"),
      QStringLiteral("the warden, sign a form at the desk and put all bags away"),
      QStringLiteral("in lockers. The members will report on the cost next month"),
      QStringLiteral("of shelves, the heating and the new roof repair in spring."),
  };
  return lines;
}

// The lines in a monospace face, left-aligned like an editor's page.
inline QImage monospace(const QStringList& lines, const QString& family, int px) {
  textimages::Style style;
  style.family = family;
  style.px = px;
  style.pitch = 1.3;
  return textimages::lines(lines, style).image;
}

// What `ls -l` prints in a terminal: aligned columns one or more spaces apart.
inline const QStringList& listing() {
  static const QStringList lines{
      QStringLiteral("total 56"),
      QStringLiteral("-rw-r--r-- 1 ada  staff   4096 Jan  5 10:22 notes.txt"),
      QStringLiteral("drwxr-xr-x 2 ada  staff  12288 Dec 25  2023 Documents"),
      QStringLiteral("-rw-r--r-- 1 root root     512 Mar 14 09:01 todo.md"),
      QStringLiteral("-rwxr-xr-x 1 ada  staff  20480 Feb  2 17:45 build.sh"),
      QStringLiteral("-rw------- 1 ada  staff    733 Apr 30 08:15 secrets.env"),
      QStringLiteral("lrwxrwxrwx 1 root root      11 Jun  9 12:00 latest"),
  };
  return lines;
}

// A dialog of labels and fields made of real widgets, as a program asks for
// someone's details: some fields filled, some empty, a file field with its
// button, two check boxes and the dialog's buttons; grabbed offscreen.
inline QImage form() {
  QWidget dialog;
  dialog.setAttribute(Qt::WA_DontShowOnScreen);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(14);
  dialog.setFont(font);
  auto* outer = new QVBoxLayout(&dialog);
  auto* layout = new QFormLayout;
  outer->addLayout(layout);
  const auto field = [&](const char* label, const char* text) {
    auto* edit = new QLineEdit(QString::fromUtf8(text));
    edit->setMinimumWidth(220);
    layout->addRow(QString::fromUtf8(label), edit);
  };
  field("Full name:", "Ada Lovelace");
  field("Email:", "ada@example.org");
  field("Phone:", "");
  auto* photo = new QHBoxLayout;
  photo->addWidget(new QLineEdit);
  photo->addWidget(new QPushButton(QStringLiteral("Browse…")));
  layout->addRow(QStringLiteral("Photo:"), photo);
  auto* country = new QComboBox;
  country->addItem(QStringLiteral("United Kingdom"));
  layout->addRow(QStringLiteral("Country:"), country);
  auto* age = new QSpinBox;
  age->setValue(36);
  layout->addRow(QStringLiteral("Age:"), age);
  layout->addRow(QString(), new QCheckBox(QStringLiteral("Send me the newsletter")));
  layout->addRow(QString(), new QCheckBox(QStringLiteral("Remember these details")));
  outer->addWidget(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
  dialog.resize(480, dialog.sizeHint().height());
  dialog.show();
  QImage image = dialog.grab().toImage().convertToFormat(QImage::Format_RGB32);
  dialog.hide();
  return image;
}

// A table whose words were drawn one by one, so that each word's box is known.
struct DrawnTable {
  QImage image;
  std::vector<Piece> words;  // bottom-left pixels, in no particular order
};

// Rows of cells of a right-to-left script: each cell right-aligned at its
// column's right edge (`rightEdges`, the first column rightmost), the words of
// a cell laid from the right, one space apart. Latin words and numbers are
// laid the same way, each standing where a right-to-left line puts it.
inline DrawnTable rightToLeft(const std::vector<QStringList>& rows, const QString& family,
                              const std::vector<int>& rightEdges, int px = 18) {
  QFont font(family);
  font.setPixelSize(px);
  const QFontMetrics fm(font);
  const int pitch = int(fm.lineSpacing() * 1.8);
  const int margin = 20;
  DrawnTable out;
  out.image = QImage(rightEdges.front() + margin, 2 * margin + pitch * int(rows.size()), QImage::Format_RGB32);
  out.image.fill(Qt::white);
  QPainter p(&out.image);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  for (size_t r = 0; r < rows.size(); ++r) {
    const int baseline = margin + pitch * int(r) + fm.ascent();
    for (qsizetype c = 0; c < rows[r].size(); ++c) {
      // A right-to-left cell is laid from its right edge word by word; a
      // cell of Latin words or numbers reads left to right within it.
      const QString& cell = rows[r][c];
      const bool fromRight = text::isRightToLeft(cell);
      const int space = fm.horizontalAdvance(QLatin1Char(' '));
      int x = fromRight ? rightEdges[size_t(c)] : rightEdges[size_t(c)] - fm.horizontalAdvance(cell);
      for (const QString& word : cell.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int advance = fm.horizontalAdvance(word);
        const int left = fromRight ? x - advance : x;
        p.drawText(left, baseline, word);
        const QRect ink = fm.tightBoundingRect(word).translated(left, baseline);
        out.words.push_back({textimages::bottomLeft(ink, out.image.height()), word});
        x = fromRight ? left - space : left + advance + space;
      }
    }
  }
  return out;
}

}  // namespace tableimages
