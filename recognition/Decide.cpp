#include <utility>

#include "recognition/OCRLanguages.h"
#include "recognition/Recognizer.h"

namespace Recognizer {

namespace {

// The passes of one recognize call: a language list already read is not read
// again; its earlier pass is used.
class Passes {
 public:
  Passes(const QImage& image, const Reader& reader) : image_(image), reader_(reader) {}

  Pass read(const QStringList& languages) {
    for (const auto& [list, pass] : done_) {
      if (list == languages) return pass;
    }
    Pass pass = reader_(image_, languages);
    done_.emplace_back(languages, pass);
    return pass;
  }

 private:
  const QImage& image_;
  const Reader& reader_;
  std::vector<std::pair<QStringList, Pass>> done_;
};

bool preferredBase(const QStringList& prefer, const QString& detected) {
  for (const QString& code : prefer) {
    if (OCRLanguages::base(code) == detected) return true;
  }
  return false;
}

// The languages of the first pass, never empty: a recogniser given no
// language at all reads nothing useful.
QStringList firstLanguages(const QStringList& prefer) {
  QStringList languages = OCRLanguages::firstPass(prefer);
  if (languages.isEmpty()) languages = OCRLanguages::supported();
  if (languages.isEmpty()) languages << QStringLiteral("en-US");
  return languages;
}

QStringList secondChanceCandidates(const QStringList& prefer, bool fallback) {
  if (fallback) return OCRLanguages::otherScripts(prefer);
  QStringList candidates;
  for (qsizetype i = 1; i < prefer.size(); ++i) {
    if (!OCRLanguages::latin().contains(prefer[i])) candidates << prefer[i];
  }
  return candidates;
}

}  // namespace

Recognized recognize(const QImage& image, const QStringList& prefer, bool fallback, const Reader& reader) {
  Passes passes(image, reader);
  Pass best = passes.read(firstLanguages(prefer));

  if (const auto detected = OCRLanguages::detect(best.result.text())) {
    if (preferredBase(prefer, *detected) && best.confidence >= 0.6 && score(best) >= 3.0) return best.result;

    const auto lc = OCRLanguages::latinCode(*detected);
    if (lc && (fallback || prefer.contains(*lc))) {
      // A re-read a little weaker than the first pass still wins: the Latin
      // list suits the detected language better.
      Pass alt = passes.read(QStringList{*lc} + OCRLanguages::latin());
      return score(alt) >= 0.95 * score(best) ? alt.result : best.result;
    }
  }

  for (const QString& candidate : secondChanceCandidates(prefer, fallback)) {
    Pass alt = passes.read({candidate, QStringLiteral("en-US")});
    if (score(alt) > 1.05 * score(best)) best = std::move(alt);
  }
  return best.result;
}

}  // namespace Recognizer
