// bench/ocr_bench --firstpass: which models the first pass reads with. The
// same road (recognize, fallback on) with three first passes: the preferred
// languages followed by the seven Latin ones (as the language list says),
// Tesseract's one "Latin" script model, and the preferred languages alone
// (the road's Latin re-read and second chance still follow). Error rate and
// warm time over the Latin-script samples, and whole pages.
#pragma once
#include <functional>

#include "bench/ocr_measure.h"
#include "bench/ocr_samples.h"
#include "bench/ocr_speed.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/ReadPass.h"
#include "recognition/Recognizer.h"

namespace firstpass {

struct Strategy {
  const char* name;
  // The engine key of the first pass for the preferred codes and the list the road asks for.
  std::function<QString(const QStringList& prefer, const QStringList& languages)> key;
};

inline std::vector<Strategy> strategies() {
  EnginePool& pool = EnginePool::shared();
  return {
      {"preferred + 7 Latin", [&pool](const QStringList&, const QStringList& l) { return pool.keyFor(l); }},
      {"Latin script model",
       [&pool](const QStringList& prefer, const QStringList& l) {
         return !prefer.isEmpty() && !OCRLanguages::latin().contains(prefer.front()) ? pool.keyFor(l) : QStringLiteral("Latin");
       }},
      {"preferred alone", [&pool](const QStringList& prefer, const QStringList&) { return pool.keyFor(prefer); }},
  };
}

// The road with the strategy's first pass.
inline Recognized road(const Strategy& s, const QImage& image, const QStringList& prefer) {
  bool first = true;
  return Recognizer::recognize(image, prefer, true, [&](const QImage& img, const QStringList& languages) {
    const QString key = first ? s.key(prefer, languages) : EnginePool::shared().keyFor(languages);
    first = false;
    return ocr::readPass(img, key);
  });
}

inline void run() {
  struct Page {
    QString name;
    samples::Sample sample;
    QStringList prefer;
  };
  const std::vector<Page> pages{
      {QStringLiteral("German page, German user"), speed::page(speed::language("de"), 1200, 800, 15), {"de-DE", "en-US"}},
      {QStringLiteral("German page, English user"), speed::page(speed::language("de"), 1200, 800, 15), {"en-US"}},
      {QStringLiteral("English page 1600x1000"), speed::page(speed::language("en"), 1600, 1000, 15), {"en-US"}},
      {QStringLiteral("Korean page, English user"), speed::page(speed::language("ko"), 900, 560, 15), {"en-US"}},
  };
  const std::vector<samples::Sample> latin = samples::allSamples({"en", "de", "fr"});
  for (const Strategy& s : strategies()) {
    EnginePool::shared().clear();
    std::map<QString, measure::Errors> errs;
    double ms = 0;
    for (const samples::Sample& sample : latin) {
      (void)road(s, sample.image, sample.language->prefer);  // engines started
      const double t0 = measure::nowMs();
      const Recognized r = road(s, sample.image, sample.language->prefer);
      ms += measure::nowMs() - t0;
      errs[QLatin1String(sample.language->id)] += measure::errors(sample.truth, r.text(), false);
    }
    std::printf("\n%s: samples en %.2f%%, de %.2f%%, fr %.2f%%, %.0f ms in all\n", s.name, 100 * errs["en"].rate(),
                100 * errs["de"].rate(), 100 * errs["fr"].rate(), ms);
    for (const Page& p : pages) {
      (void)road(s, p.sample.image, p.prefer);
      const double t0 = measure::nowMs();
      const Recognized r = road(s, p.sample.image, p.prefer);
      std::printf("  %-28s %6.0f ms, CER %.2f%%\n", qPrintable(p.name), measure::nowMs() - t0,
                  100 * measure::errors(p.sample.truth, r.text(), p.sample.language->spaceless).rate());
    }
    std::fflush(stdout);
  }
}

}  // namespace firstpass
