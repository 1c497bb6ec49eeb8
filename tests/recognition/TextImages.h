#pragma once
// Text images rendered at test time with installed faces, so that the text
// and where its ink lies are known exactly. Needs a QGuiApplication.
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QStringList>
#include <vector>

#include "recognition/base/Result.h"

namespace textimages {

struct Style {
  QString family = QStringLiteral("Noto Sans");
  int px = 16;
  QColor ground = Qt::white;
  QColor ink = QColor(32, 33, 36);
  int margin = 16;
  double pitch = 1.4;  // line pitch in line spacings
  QImage::Format format = QImage::Format_RGB32;
};

inline Style dark(int px = 16) {
  Style s;
  s.px = px;
  s.ground = QColor(32, 33, 36);
  s.ink = QColor(232, 234, 237);
  return s;
}

// The texts of a result's rows, the pieces of a row joined by `separator`.
inline QStringList rowTexts(const Recognized& r, QChar separator = QLatin1Char(' ')) {
  QStringList out;
  for (const auto& row : r.lines) {
    QStringList pieces;
    for (const Piece& p : row) pieces << p.text;
    out << pieces.join(separator);
  }
  return out;
}

struct Rendered {
  QImage image;
  std::vector<QRect> ink;  // per row, the box of its ink (top-left pixels)
};

// The box of everything that differs from the ground within rows [top, bottom).
inline QRect inkBox(const QImage& image, const QColor& ground, int top, int bottom) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  int x0 = rgb.width(), y0 = bottom, x1 = -1, y1 = -1;
  for (int y = std::max(0, top); y < std::min(bottom, rgb.height()); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb c = row[x];
      const int d = std::abs(qRed(c) - ground.red()) + std::abs(qGreen(c) - ground.green()) + std::abs(qBlue(c) - ground.blue());
      if (d < 96) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  }
  return x1 < 0 ? QRect() : QRect(QPoint(x0, y0), QPoint(x1, y1));
}

// Rows of cells; each row's cells start at the given x positions (one cell:
// at the margin). `width` 0 fits the text.
inline Rendered render(const std::vector<QStringList>& rows, const Style& style = {}, int width = 0,
                       const std::vector<int>& columns = {}) {
  QFont font(style.family);
  font.setPixelSize(style.px);
  const QFontMetrics fm(font);
  const int pitch = int(fm.lineSpacing() * style.pitch);
  if (width == 0) {
    for (const QStringList& row : rows) {
      for (int c = 0; c < row.size(); ++c) {
        const int x = c < int(columns.size()) ? columns[size_t(c)] : style.margin;
        width = std::max(width, x + fm.horizontalAdvance(row[c]) + style.margin);
      }
    }
  }
  Rendered out;
  out.image = QImage(width, 2 * style.margin + pitch * int(rows.size()), style.format);
  out.image.fill(style.ground);
  QPainter p(&out.image);
  p.setFont(font);
  p.setPen(style.ink);
  for (size_t r = 0; r < rows.size(); ++r) {
    const int top = style.margin + pitch * int(r);
    for (int c = 0; c < rows[r].size(); ++c) {
      const int x = c < int(columns.size()) ? columns[size_t(c)] : style.margin;
      p.drawText(x, top + fm.ascent(), rows[r][c]);
    }
  }
  p.end();
  for (size_t r = 0; r < rows.size(); ++r) {
    const int top = style.margin + pitch * int(r);
    out.ink.push_back(inkBox(out.image, style.ground, top, top + pitch));
  }
  return out;
}

inline Rendered lines(const QStringList& texts, const Style& style = {}, int width = 0) {
  std::vector<QStringList> rows;
  for (const QString& t : texts) rows.push_back({t});
  return render(rows, style, width);
}

// Pixels of `r` in a grey image darker than `level`.
inline int darkerThan(const QImage& grey8, const QRect& r, int level) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += grey8.constScanLine(y)[x] < level;
  return n;
}

// A top-left box of an image `height` pixels high in bottom-left pixels.
inline PixelRect bottomLeft(const QRect& r, int height) {
  return PixelRect::fromTopLeft(r.x(), r.y(), r.width() + 1, r.height() + 1, height);
}

}  // namespace textimages
