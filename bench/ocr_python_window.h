// bench/ocr_bench --programs, the Python module in the editor: read as the
// whole window is picked and as a drag a few pixels around the code, on the
// accurate roads (layout, detector) and the fast path; lines exactly right,
// indentation right, words found, junk, and whether Python compiles the
// drag's text (a window's title and menus are no Python).
#pragma once
#include <QColor>
#include <QImage>
#include <QRect>
#include <cstdio>
#include <future>

#include "bench/ocr_code_score.h"
#include "bench/ocr_roads.h"
#include "recognition/LiveText.h"
#include "tests/recognition/UiScreenScore.h"

namespace pythonwindow {

namespace detail {

inline bool near(QRgb a, QRgb b, int tolerance) {
  return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
         std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The longest run of indices whose `share` of ground is at least `least`.
template <typename Share>
std::pair<int, int> longestRun(int count, double least, Share share) {
  int best = 0, bestFrom = 0, from = -1;
  for (int i = 0; i <= count; ++i) {
    const bool in = i < count && share(i) >= least;
    if (in && from < 0) from = i;
    if (!in && from >= 0) {
      if (i - from > best) best = i - from, bestFrom = from;
      from = -1;
    }
  }
  return {bestFrom, best};
}

}  // namespace detail

// The drag around the code: the editor's text area (the largest stretch of
// rows, then of columns, mostly of the ground of the window's lower part),
// the ink in it, and `margin` pixels around that.
inline QRect dragAroundCode(const QImage& image, int margin) {
  const QImage img = image.convertToFormat(QImage::Format_RGB32);
  const QRgb ground = img.pixel(img.width() / 2, img.height() - 12);
  auto rowShare = [&](int y) {
    int n = 0;
    for (int x = 0; x < img.width(); ++x) n += detail::near(img.pixel(x, y), ground, 3);
    return double(n) / img.width();
  };
  const auto [top, height] = detail::longestRun(img.height(), 0.6, rowShare);
  auto columnShare = [&](int x) {
    int n = 0;
    for (int y = top; y < top + height; ++y) n += detail::near(img.pixel(x, y), ground, 3);
    return double(n) / std::max(1, height);
  };
  const auto [left, width] = detail::longestRun(img.width(), 0.6, columnShare);
  QRect ink;
  for (int y = top; y < top + height; ++y)
    for (int x = left; x < left + width; ++x)
      if (!detail::near(img.pixel(x, y), ground, 48)) ink |= QRect(x, y, 1, 1);
  return ink.isEmpty() ? QRect() : ink.marginsAdded(QMargins(margin, margin, margin, margin)) & img.rect();
}

struct Total {
  codescore::Lines lines;
  int expected = 0, found = 0, junk = 0;
};

inline QString fastText(const QImage& image, const QStringList& prefer) {
  // The fast path reads nothing on the GUI thread.
  return std::async(std::launch::async, [&] {
           const std::optional<Recognized> r = LiveText::read(image, prefer);
           return r ? r->text() : QString();
         }).get();
}

// Reads the window and the drag on each road and prints a row for each;
// adds to `totals` (layout, detector, fast).
inline void run(const QImage& window, const QString& code, const QStringList& words, bool verbose, Total totals[3]) {
  const QStringList english{QStringLiteral("en-US")};
  const bool detector = ocr::detectorRoad();
  const QRect drag = dragAroundCode(window, 5);
  const QImage dragged = window.copy(drag);
  static const char* kNames[] = {"layout", "detector", "fast"};
  for (const bool picked : {true, false}) {
    if (!picked && drag.isEmpty()) {
      std::printf("python-drag    no text area found\n");
      continue;
    }
    const QImage& image = picked ? window : dragged;
    const QStringList expected = (picked ? words : QStringList()) + codescore::nonBlank(code);
    for (int r = 0; r < 3; ++r) {
      const QString text = r < 2 ? roads::recognizeOn(roads::kRoads[r], image, english).text() : fastText(image, english);
      codescore::Lines l = codescore::lines(code, text);
      QString error;
      if (!picked) ++l.tried, l.compiled += codescore::compiles(text, &error);
      const uiscreens::Score sc = uiscreens::score(expected, text, false);
      Total& t = totals[r];
      t.lines += l, t.expected += sc.expected, t.found += sc.found, t.junk += int(sc.junk.size());
      std::printf("%-12s %-8s %4dx%-4d words %d/%d junk %d, %s\n", picked ? "python" : "python-drag", kNames[r],
                  image.width(), image.height(), sc.found, sc.expected, int(sc.junk.size()), qPrintable(codescore::cell(l)));
      if (verbose) {
        std::printf("---\n%s\n---\n", qPrintable(text));
        if (!error.isEmpty()) std::printf("python: %s\n", qPrintable(error));
      }
      std::fflush(stdout);
    }
  }
  ocr::setDetectorRoad(detector);
}

inline void printTotals(const Total totals[3]) {
  static const char* kNames[] = {"layout", "detector", "fast"};
  std::printf("\npython in the editor, window and drag together\n");
  for (int r = 0; r < 3; ++r)
    std::printf("%-12s words %d/%d junk %d, %s\n", kNames[r], totals[r].found, totals[r].expected, totals[r].junk,
                qPrintable(codescore::cell(totals[r].lines)));
}

}  // namespace pythonwindow
