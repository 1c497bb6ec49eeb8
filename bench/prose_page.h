// A page of 12 px prose of a small vocabulary, for the benches that time
// -read on screens of text and count the words it gives back.
#pragma once
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include "tests/app/FileCases.h"

namespace bench {

inline const QStringList& vocabulary() {
  static const QStringList words = QStringLiteral(
      "the quick brown fox jumps over lazy dog while seven wizards quietly judge boxing matches near forty old "
      "houses where people read newspapers and drink coffee every morning before work begins again tomorrow")
                                       .split(QLatin1Char(' '));
  return words;
}

// A screen filled edge to edge with lines of 12 px prose; the words drawn, in order.
inline QImage prose(int width, int height, QStringList* drawn) {
  QImage image = filecases::blank(width, height);
  QPainter p(&image);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(12);
  p.setFont(font);
  p.setPen(QColor(30, 30, 30));
  const QFontMetrics fm(font);
  const QStringList& words = vocabulary();
  qsizetype next = 0;
  for (int y = 4 + fm.ascent(); y < height - 4; y += fm.lineSpacing() + 3) {
    QString line;
    while (fm.horizontalAdvance(line + QLatin1Char(' ') + words[next % words.size()]) < width - 10) {
      line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + words[next % words.size()];
      *drawn << words[next % words.size()];
      next += 7;
    }
    p.drawText(5, y, line);
  }
  return image;
}

}  // namespace bench
