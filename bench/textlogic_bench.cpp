// Cost of the pure steps around each recognition pass: grouping word pieces
// into rows, table detection over a wide screen, and language detection.
// Run: build/bench/textlogic_bench
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"

namespace {

// Median of `runs` timings of `body`, in microseconds.
double medianUs(int runs, const std::function<void()>& body) {
  std::vector<qint64> samples;
  QElapsedTimer timer;
  for (int i = 0; i < runs; ++i) {
    timer.start();
    body();
    samples.push_back(timer.nsecsElapsed());
  }
  std::sort(samples.begin(), samples.end());
  return double(samples[samples.size() / 2]) / 1000.0;
}

// A screenful of words: `rows` rows of `columns` cells of two words each,
// spread over `width` pixels.
std::vector<Piece> grid(int rows, int columns, double width) {
  std::vector<Piece> pieces;
  const double cell = width / columns;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const double x = c * cell;
      const double y = 2000 - 28.0 * r + (c % 3) * 1.5;  // slightly uneven baselines
      pieces.push_back({{x, y, cell * 0.3, 18}, QStringLiteral("alpha")});
      pieces.push_back({{x + cell * 0.35, y, cell * 0.25, 18}, QStringLiteral("beta")});
    }
  }
  std::reverse(pieces.begin(), pieces.end());
  return pieces;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);

  std::printf("%-44s %12s\n", "step", "median (us)");
  for (const auto& [rows, columns, width] : {std::tuple{10, 3, 1200.0}, {60, 6, 3840.0}, {60, 6, 15360.0}}) {
    const std::vector<Piece> pieces = grid(rows, columns, width);
    const auto grouped = Recognizer::group(pieces);
    char label[64];
    std::snprintf(label, sizeof label, "group %zu pieces", pieces.size());
    std::printf("%-44s %12.1f\n", label, medianUs(200, [&] { (void)Recognizer::group(pieces); }));
    std::snprintf(label, sizeof label, "detectTable %d x %d, %.0f px wide", rows, columns * 2, width);
    const bool found = Recognizer::detectTable(grouped).has_value();
    std::printf("%-44s %12.1f%s\n", label, medianUs(200, [&] { (void)Recognizer::detectTable(grouped); }),
                found ? "" : "  (no table)");
  }

  const QString paragraph = QStringLiteral(
      "Der schnelle braune Fuchs springt über den faulen Hund. Rechnung Nr. 2024-118, bitte überweisen Sie "
      "den Betrag bis zum 12. März auf das angegebene Konto.");
  std::printf("%-44s %12.1f\n", "detect (German paragraph)", medianUs(500, [&] {
                (void)OCRLanguages::detect(paragraph);
              }));
  std::printf("%-44s %12.1f\n", "detect (Japanese sentence)", medianUs(500, [&] {
                (void)OCRLanguages::detect(QStringLiteral("素早い茶色の狐がのろまな犬を飛び越える。"));
              }));
  std::printf("%-44s %12.1f\n", "supported (kept list)", medianUs(500, [&] { (void)OCRLanguages::supported(); }));
  return 0;
}
