// A contact sheet of the drawn marks for a visual check: the three tray glyph
// states on a light and a dark panel at tray sizes, and the app mark states at
// 28, 56 and 88 pixels on both panels. Also prints what one mark costs to draw.
// Run: build/bench/marks_sheet_bench [out.png]   (default /tmp/tarvok-marks.png)
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>
#include <cstdlib>

#include "core/AppMark.h"
#include "core/Glyph.h"
#include "core/Ink.h"
#include "ui/kit/Text.h"

namespace {

constexpr qreal kDpr = 2;
constexpr int kMargin = 24;
constexpr int kCell = 110;  // one column per state

void label(QPainter& p, qreal x, qreal y, const QString& text, const QColor& color) {
  kit::drawLine(p, QRectF(x, y, kCell, 16), text, kit::font(11, QFont::Normal), color, Qt::AlignLeft);
}

// One band: glyphs (three states x tray sizes) then marks (four looks x three sizes).
int band(QPainter& p, int top, int width, bool dark) {
  const QColor panel = Ink::panel(dark);
  const QColor text = Ink::text(dark);
  const int glyphRow = 60;
  const int markRow = 88 + 10 + 20;
  const int height = 20 + glyphRow + 20 + markRow + 16;
  p.fillRect(QRect(0, top, width, height), panel);
  label(p, kMargin, top + 4, dark ? "dark panel" : "light panel", text);

  int y = top + 24;
  int x = kMargin;
  const char* glyphNames[] = {"idle", "picking", "picked"};
  for (int g = 0; g < 3; ++g) {
    int gx = x;
    for (int size : {16, 22, 24, 32, 48}) {
      p.drawImage(QPointF(gx, y + 48 - size), glyphImage(Glyph(g), size, kDpr, dark));
      gx += size + 6;
    }
    label(p, x, y + 50, glyphNames[g], text);
    x += 200;
  }

  y += glyphRow + 20;
  x = kMargin;
  struct Look {
    const char* name;
    AppMark::State state;
    qreal phase;
  };
  const Look looks[] = {{"picked", AppMark::State::picked, 0},
                        {"working p=0", AppMark::State::working, 0},
                        {"working p=1", AppMark::State::working, 1},
                        {"empty", AppMark::State::empty, 0}};
  for (const Look& look : looks) {
    int mx = x;
    for (int size : {28, 56, 88}) {
      AppMark::draw(p, QRectF(mx, y + 88 - size, size, size), look.state, look.phase, true);
      mx += size + 8;
    }
    label(p, x, y + 92, look.name, text);
    x += 28 + 56 + 88 + 3 * 8 + 20;
  }
  return top + height;
}

void timeDrawing() {
  QImage img(176, 176, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&img);
  QElapsedTimer timer;
  const int n = 2000;
  timer.start();
  for (int i = 0; i < n; ++i) AppMark::draw(p, QRectF(0, 0, 88, 88), AppMark::State::working, (i % 100) / 100.0, true);
  std::printf("app mark 88 px: %.1f us per draw\n", timer.nsecsElapsed() / 1000.0 / n);
  timer.start();
  for (int i = 0; i < n; ++i) glyphImage(Glyph::picked, 22, 2, false);
  std::printf("glyph image 22 px @2x: %.1f us each\n", timer.nsecsElapsed() / 1000.0 / n);
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/tarvok-marks.png");

  const int width = 2 * kMargin + 4 * (28 + 56 + 88 + 3 * 8 + 20);
  const int height = 2 * (20 + 60 + 20 + 118 + 16);
  QImage sheet(int(width * kDpr), int(height * kDpr), QImage::Format_ARGB32_Premultiplied);
  sheet.setDevicePixelRatio(kDpr);
  sheet.fill(Qt::transparent);
  {
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing);
    const int next = band(p, 0, width, false);
    band(p, next, width, true);
  }
  if (!sheet.save(out)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
    return 1;
  }
  std::printf("wrote %s (%dx%d)\n", qPrintable(out), sheet.width(), sheet.height());
  timeDrawing();
  return 0;
}
