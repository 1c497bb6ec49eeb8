// bench/ocr_bench --sweep: the error rate and time of one engine pass under
// each preparation setting, per script group, over the whole sample set. The
// defaults in recognition/clean/Prepare.h were read off this table.
#pragma once
#include <map>

#include "bench/ocr_measure.h"
#include "bench/ocr_samples.h"
#include "recognition/engines/EngineRun.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"

namespace sweep {

struct Setting {
  QString name;
  ocr::RunConfig config;
  bool tight = false;  // the image cut to its ink, one pixel around: a close pick
};

// The sample cut down to the box of its ink plus one pixel.
inline QImage tight(const QImage& image) {
  const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
  const int ground = g.pixelColor(0, 0).value();
  int x0 = g.width(), y0 = g.height(), x1 = -1, y1 = -1;
  for (int y = 0; y < g.height(); ++y)
    for (int x = 0; x < g.width(); ++x)
      if (std::abs(int(g.constScanLine(y)[x]) - ground) > 24) {
        x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  if (x1 < 0) return image;
  return image.copy(QRect(QPoint(x0 - 1, y0 - 1), QPoint(x1 + 1, y1 + 1)).intersected(image.rect()));
}

inline std::vector<Setting> settings(const ocr::RunConfig& base) {
  std::vector<Setting> out;
  auto with = [&base](auto change) {
    ocr::RunConfig c = base;
    change(c);
    return c;
  };
  out.push_back({QStringLiteral("as given"), base});
  out.push_back({QStringLiteral("no scaling"), with([](ocr::RunConfig& c) { c.prepare.maxScale = 1; })});
  for (double h : {16.0, 18.0, 20.0, 23.0, 26.0, 30.0, 36.0})
    out.push_back({QStringLiteral("line %1 px").arg(h), with([h](ocr::RunConfig& c) { c.prepare.lineHeight = c.prepare.latinLineHeight = c.prepare.cyrillicLineHeight = h; })});
  for (int pad : {0, 4, 12, 24})
    out.push_back({QStringLiteral("tight, pad %1").arg(pad), with([pad](ocr::RunConfig& c) { c.prepare.pad = pad; }), true});
  for (int n : {1, 2, 3, 4})
    out.push_back({QStringLiteral("%1 engines").arg(n), with([n](ocr::RunConfig& c) { c.maxEngines = n; })});
  out.push_back({QStringLiteral("no inversion"), with([](ocr::RunConfig& c) { c.prepare.invert = false; })});
  for (int psm : {3, 4, 6, 11})
    out.push_back({QStringLiteral("psm %1").arg(psm), with([psm](ocr::RunConfig& c) { c.pageSegMode = psm; })});
  return out;
}

// One pass with the first-pass languages, lines in reading order.
inline QString onePass(const samples::Sample& s, const Setting& setting) {
  EnginePool& pool = EnginePool::shared();
  const QString key = pool.keyFor(OCRLanguages::firstPass(s.language->prefer));
  pool.fill(key, setting.config.maxEngines);
  const ocr::EngineResult r = ocr::run(setting.tight ? tight(s.image) : s.image, key, setting.config, pool);
  std::vector<Piece> pieces;
  for (const ocr::EngineLine& line : r.lines) {
    if (!line.box) continue;
    const QRect b = *line.box;
    pieces.push_back({r.prepared.toSource(b.x(), b.y(), b.x() + b.width(), b.y() + b.height()), line.text});
  }
  Recognized result;
  result.lines = Recognizer::group(pieces);
  return result.text();
}

inline void run(const QStringList& only, const ocr::RunConfig& base, const QString& filter) {
  std::vector<Setting> all;
  for (const Setting& s : settings(base))
    if (filter.isEmpty() || s.name.contains(filter)) all.push_back(s);
  std::vector<std::map<QString, measure::Errors>> errs(all.size());
  std::vector<measure::Errors> small(all.size()), dark(all.size());
  std::vector<double> ms(all.size());
  EnginePool& pool = EnginePool::shared();
  pool.setLimits({4, 64});
  // Language by language, so that only one language's engines are loaded.
  for (const auto& lang : samples::languages()) {
    if (!only.isEmpty() && !only.contains(QLatin1String(lang.id))) continue;
    const std::vector<samples::Sample> some = samples::allSamples({QLatin1String(lang.id)});
    pool.clear();
    pool.fill(pool.keyFor(OCRLanguages::firstPass(lang.prefer)), 4);  // started before the timing
    for (size_t k = 0; k < all.size(); ++k) {
      for (const auto& s : some) {
        const double t0 = measure::nowMs();
        const QString text = onePass(s, all[k]);
        ms[k] += measure::nowMs() - t0;
        const measure::Errors e = measure::errors(s.truth, text, s.language->spaceless);
        errs[k][samples::group(s)] += e;
        if (s.px == 11) small[k] += e;
        if (s.dark) dark[k] += e;
      }
    }
    std::fprintf(stderr, "%s done\n", lang.id);
  }
  const QStringList groups{"English", "Latin", "Cyrillic", "CJK", "Arabic"};
  std::printf("%-14s", "setting");
  for (const QString& g : groups) std::printf(" | %8s", qPrintable(g));
  std::printf(" | %8s | %8s | %8s\n", "11 px", "dark", "ms total");
  for (size_t k = 0; k < all.size(); ++k) {
    std::printf("%-14s", qPrintable(all[k].name));
    for (const QString& g : groups) {
      if (errs[k].count(g)) std::printf(" | %7.2f%%", 100 * errs[k][g].rate());
      else std::printf(" | %8s", "-");
    }
    std::printf(" | %7.2f%% | %7.2f%% | %8.0f\n", 100 * small[k].rate(), 100 * dark[k].rate(), ms[k]);
  }
}

}  // namespace sweep
