#include "app/RecognitionRoad.h"

#include <future>

#include "recognition/LiveText.h"
#include "core/Settings.h"
#include "recognition/Recognizer.h"
#include "ui/language/OCRChoice.h"

namespace road {

const Engines& realEngines() {
  static const Engines engines{
      [](const QImage& image, const QStringList& prefer, bool fallback) {
        return Recognizer::recognize(image, prefer, fallback);
      },
      [](const QImage& image, const QStringList& prefer) { return LiveText::read(image, prefer); },
      [](const QImage& image, bool thorough, double budget) { return Recognizer::codes(image, thorough, budget); },
      [](const Recognized& result, const std::vector<Code>& codes) { return Recognizer::merge(result, codes); },
      [](const QStringList& prefer, bool fast) {
        if (fast)
          LiveText::coolDown(prefer);
        else
          Recognizer::coolDown(prefer);
      }};
  return engines;
}

QStringList languagesFor(const Settings& settings) {
  const Lang language = settings.language();
  const std::optional<QString> ui = language.isAuto() ? std::nullopt : std::optional<QString>(language.rawValue());
  return OCRChoice::preferred(settings.ocrManual(), settings.ocrLanguages(), ui);
}

Request requestFor(const QImage& image, const Settings& settings) {
  Request r;
  r.image = image;
  r.languages = languagesFor(settings);
  r.fallback = settings.ocrManual() ? settings.ocrFallback() : true;
  r.fast = settings.fastMode();
  return r;
}

bool wantsThoroughPass(const std::vector<Code>& quick, const Recognized& text) {
  return quick.empty() && text::visibleCount(text.text()) < kThoroughBelow;
}

Recognized readText(const Request& request, const Engines& engines, bool* fast) {
  if (fast) *fast = false;
  auto fromFast = [fast](Recognized lines) {
    if (fast) *fast = true;
    return lines;
  };
  if (request.fast) {
    if (auto lines = engines.fast(request.image, request.languages)) return fromFast(std::move(*lines));
    return engines.accurate(request.image, request.languages, request.fallback);
  }
  Recognized result = engines.accurate(request.image, request.languages, request.fallback);
  if (result.text().isEmpty()) {
    if (auto lines = engines.fast(request.image, request.languages)) return fromFast(std::move(*lines));
  }
  return result;
}

Recognized fastWithoutCodes(const QImage& image, const QStringList& languages, const Engines& engines,
                            const Recognized& text, const std::vector<Code>& codes) {
  if (codes.empty() || text.lines.empty()) return text;
  if (auto lines = engines.fast(Recognizer::withoutCodes(image, codes), languages)) return *lines;
  return {};
}

Recognized run(const Request& request, const Engines& engines) {
  // The quick pass overlaps the text: a capture pays for the slower of the two.
  std::future<std::vector<Code>> quick =
      std::async(std::launch::async, [&] { return engines.codes(request.image, false, kThoroughBudget); });
  bool fast = false;
  Recognized text = readText(request, engines, &fast);
  std::vector<Code> codes = quick.get();
  if (wantsThoroughPass(codes, text)) codes = engines.codes(request.image, true, kThoroughBudget);
  if (fast) text = fastWithoutCodes(request.image, request.languages, engines, text, codes);
  return engines.merge(text, codes);
}

}  // namespace road
