#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// A rectangle in pixels of a recognised image with the origin at the bottom
// left and y growing upwards. Our own type on purpose: Qt's rectangles are
// top-left based and their names (top, bottom) would read the wrong way round.
struct PixelRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double minX() const { return x; }
  double maxX() const { return x + width; }
  double minY() const { return y; }
  double maxY() const { return y + height; }
  double midX() const { return x + width / 2; }
  double midY() const { return y + height / 2; }
  bool isZero() const { return x == 0 && y == 0 && width == 0 && height == 0; }

  // Converts a top-left based box of an image `imageHeight` pixels high.
  static PixelRect fromTopLeft(double left, double top, double w, double h, double imageHeight) {
    return {left, imageHeight - top - h, w, h};
  }
};

// One recognised run of text: a line, or a word of a line.
struct Piece {
  PixelRect rect;
  QString text;
};

// One barcode or QR code.
struct Code {
  PixelRect rect;
  QString payload;  // trimmed, never empty
  bool isQR = false;
  // Where the same code was found again (a sheet of one code): no text is read there either.
  std::vector<PixelRect> again{};
};

// A detected table: rows of cells, top row first, each row's cells in
// reading order (a right-to-left table's rightmost column comes first).
struct Table {
  std::vector<QStringList> rows;

  QString tsv() const;
  QString html() const;
  int columnCount() const;
};

// The result of one recognition.
struct Recognized {
  std::vector<std::vector<Piece>> lines;  // rows top to bottom, pieces left to right
  std::optional<Table> table;
  std::vector<Code> codes;
  // The words of the lines, in rows as the lines (empty when the reader gives
  // no geometry), so that words found to be no text (a code's modules read as
  // letters) can be taken out of the lines and the table afterwards.
  std::vector<std::vector<Piece>> words{};

  QString text() const;
  QString joinedText() const;
  bool isEmpty() const { return lines.empty() && !table && codes.empty(); }
};

namespace text {
// Whitespace: Unicode Zs and the tab.
bool isWhitespace(QChar c);
// Whitespace and newlines: Unicode Z, U+0009 to U+000D and U+0085.
bool isWhitespaceOrNewline(QChar c);
QString trimWhitespace(const QString& s);
QString trimWhitespaceAndNewlines(const QString& s);
// The number of user-perceived characters (extended grapheme clusters).
long long graphemeCount(const QString& s);
// The number of grapheme clusters whose first Unicode scalar passes `test`.
long long countGraphemesIf(const QString& s, const std::function<bool(char32_t)>& test);
// The number of characters that are not whitespace or newlines.
long long visibleCount(const QString& s);
// True for the invisible marks that steer bidirectional display: U+200E,
// U+200F, U+202A to U+202E and U+2066 to U+2069.
bool isBidiControl(QChar c);
// The text without them: they are display hints, not text, and a copied text
// carrying them misbehaves in whatever it is pasted into.
QString withoutBidiControls(QString s);
// True when the text's strong characters are mostly right-to-left (Arabic,
// Hebrew...).
bool isRightToLeft(const QString& s);
}  // namespace text
