// Screen-like text images for bench/ocr_bench, rendered at run time with the
// installed Noto faces: eight languages, three layouts, UI sizes and both
// polarities. Each sample knows its text, so error rates are exact.
#pragma once
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <vector>

namespace samples {

enum class Layout { Paragraph, List, Table };

struct Language {
  const char* id;          // short name in the tables
  const char* family;      // font family
  const char* cli;         // the tesseract command line's -l
  QStringList prefer;      // the recognition languages of a user who writes it
  bool rtl = false;
  bool spaceless = false;  // whitespace carries no meaning (Chinese, Japanese)
  QStringList paragraph;
  QStringList list;
  std::vector<QStringList> table;  // rows of cells, logical order
};

inline const std::vector<Language>& languages();

struct Sample {
  const Language* language;
  Layout layout;
  int px;     // the face's pixel size as rendered
  int ratio;  // 1, or 2 for a HiDPI screen
  bool dark;
  QImage image;
  QString truth;  // rows top to bottom, the cells of a row in reading order
};

inline const char* layoutName(Layout l) {
  return l == Layout::Paragraph ? "para" : l == Layout::List ? "list" : "table";
}

inline Sample render(const Language& lang, Layout layout, int uiPx, int ratio, bool dark) {
  Sample s{&lang, layout, uiPx * ratio, ratio, dark, {}, {}};
  // The truth of a row is its cells in reading order: right to left for
  // right-to-left scripts, as one line of them reads.
  QFont font(QString::fromLatin1(lang.family));
  font.setPixelSize(s.px);
  const QFontMetrics fm(font);
  const int margin = 12 * ratio;
  const QColor ground = dark ? QColor(32, 33, 36) : QColor(255, 255, 255);
  const QColor ink = dark ? QColor(232, 234, 237) : QColor(32, 33, 36);

  std::vector<QStringList> rows;  // cells per row, logical order
  if (layout == Layout::Paragraph)
    for (const QString& l : lang.paragraph) rows.push_back({l});
  if (layout == Layout::List)
    for (const QString& l : lang.list) rows.push_back({l});
  if (layout == Layout::Table) rows = lang.table;

  const double pitch = fm.lineSpacing() * (layout == Layout::Paragraph ? 1.25 : layout == Layout::List ? 1.7 : 1.9);
  std::vector<int> widths;
  for (const QStringList& row : rows)
    for (int c = 0; c < row.size(); ++c) {
      if (int(widths.size()) <= c) widths.push_back(0);
      widths[size_t(c)] = std::max(widths[size_t(c)], fm.horizontalAdvance(row[c]));
    }
  const int gap = 3 * s.px;
  int width = 0;
  for (int w : widths) width += w;
  width += gap * (int(widths.size()) - 1) + 2 * margin;
  const int height = int(pitch * double(rows.size())) + 2 * margin;
  s.image = QImage(width, height, QImage::Format_RGB32);
  s.image.fill(ground);
  QPainter p(&s.image);
  p.setFont(font);
  p.setPen(ink);
  QStringList truthRows;
  for (size_t r = 0; r < rows.size(); ++r) {
    const int top = margin + int(pitch * double(r));
    int x = lang.rtl ? width - margin : margin;
    for (int c = 0; c < rows[r].size(); ++c) {
      const int w = widths[size_t(c)];
      const QRect box = lang.rtl ? QRect(x - w, top, w, fm.height()) : QRect(x, top, w, fm.height());
      p.drawText(box, (lang.rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop, rows[r][c]);
      x += lang.rtl ? -(w + gap) : w + gap;
    }
    truthRows << rows[r].join(QLatin1Char(' '));
    if (layout == Layout::Table && r == 0) {
      p.setPen(dark ? QColor(80, 82, 86) : QColor(218, 220, 224));
      const int y = top + fm.height() + int((pitch - fm.height()) / 2);
      p.drawLine(margin, y, width - margin, y);
      p.setPen(ink);
    }
  }
  p.end();
  s.truth = truthRows.join(QLatin1Char('\n'));
  return s;
}

// Four long English lines in a 1200 x 300 crop: the size a user picks around
// a paragraph on a typical screen.
inline Sample crop1200x300() {
  static const Language* en = &languages().front();
  Sample s{en, Layout::Paragraph, 16, 1, false, QImage(1200, 300, QImage::Format_RGB32), {}};
  const QStringList lines{
      QStringLiteral("When you pick a region of the screen, its text is recognised and copied to the clipboard,"),
      QStringLiteral("so you can paste it into a message, a document or a search field without typing it again."),
      QStringLiteral("Tables keep their columns, codes are decoded, and links can be opened from the small toast"),
      QStringLiteral("that appears in the corner. Press the shortcut again to repeat the last capture at once.")};
  s.image.fill(Qt::white);
  QFont font(QStringLiteral("Noto Sans"));
  font.setPixelSize(16);
  QPainter p(&s.image);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  for (int i = 0; i < lines.size(); ++i) p.drawText(QRect(24, 40 + 60 * i, 1160, 40), Qt::AlignLeft | Qt::AlignTop, lines[i]);
  p.end();
  s.truth = lines.join(QLatin1Char('\n'));
  return s;
}

struct Size {
  int px;
  int ratio;
};
inline const std::vector<Size> kSizes{{11, 1}, {13, 1}, {16, 1}, {13, 2}};

// Every language (or those in `only`) x layout x size x polarity.
inline std::vector<Sample> allSamples(const QStringList& only) {
  std::vector<Sample> out;
  for (const auto& lang : languages()) {
    if (!only.isEmpty() && !only.contains(QLatin1String(lang.id))) continue;
    for (Layout layout : {Layout::Paragraph, Layout::List, Layout::Table})
      for (const Size& size : kSizes)
        for (bool dark : {false, true}) out.push_back(render(lang, layout, size.px, size.ratio, dark));
  }
  return out;
}

inline QString group(const Sample& s) {
  const QString id = QLatin1String(s.language->id);
  if (id == QLatin1String("en")) return QStringLiteral("English");
  if (id == QLatin1String("de") || id == QLatin1String("fr")) return QStringLiteral("Latin");
  if (id == QLatin1String("ru")) return QStringLiteral("Cyrillic");
  if (id == QLatin1String("ar")) return QStringLiteral("Arabic");
  return QStringLiteral("CJK");
}

}  // namespace samples
