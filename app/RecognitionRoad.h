#pragma once
#include <QImage>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "recognition/base/Result.h"

class Settings;

// What one picked image goes through: the text (fast or accurate, each with
// the other as its fallback), the quick code pass beside it, the thorough
// code pass when little was found, and the merge. Synchronous: call it from a
// worker thread. The engines are passed in so the decisions can be tested
// with scripted ones.
namespace road {

struct Engines {
  // The accurate road (Recognizer::recognize).
  std::function<Recognized(const QImage&, const QStringList& prefer, bool fallback)> accurate;
  // The fast path (LiveText::read), with the same preferred languages as
  // the accurate road: none when it read nothing.
  std::function<std::optional<Recognized>(const QImage&, const QStringList& prefer)> fast;
  // Barcodes and QR codes (Recognizer::codes).
  std::function<std::vector<Code>(const QImage&, bool thorough, double budget)> codes;
  // Codes in front of the text (Recognizer::merge).
  std::function<Recognized(const Recognized&, const std::vector<Code>&)> merge;
  // Lets go of what only a large capture needed once captures have stopped
  // coming, keeping warm what the next one in `fast` mode or not starts with
  // (LiveText::coolDown, Recognizer::coolDown). May be empty.
  std::function<void(const QStringList& prefer, bool fast)> coolDown;
};

// The engines of this build.
const Engines& realEngines();

struct Request {
  QImage image;
  QStringList languages;  // never empty
  bool fallback = true;
  bool fast = false;
};

// The OCR languages of the preferences: the hand-picked ones in table order
// when the choice is manual and any is installed, else the automatic list
// for the interface language. Both text paths read with them.
QStringList languagesFor(const Settings& settings);

// The recognition settings of a capture, read from the preferences: the
// languages above; the fallback flag only counts when the choice is manual.
Request requestFor(const QImage& image, const Settings& settings);

// The budget of the thorough code pass, in seconds.
inline constexpr double kThoroughBudget = 0.8;
// Below this many visible characters a capture with no code found by the quick
// pass looks for codes thoroughly.
inline constexpr long long kThoroughBelow = 200;

// Whether the thorough code pass runs after the quick one.
bool wantsThoroughPass(const std::vector<Code>& quick, const Recognized& text);

// The text of the image alone, with its fallback: fast reads the fast path and
// falls back to the accurate road when it read nothing; accurate falls back to
// the fast path when its text is empty and the fast path read something.
// `fast` (when given) tells whether the fast path gave the text.
Recognized readText(const Request& request, const Engines& engines, bool* fast = nullptr);

// The fast path's lines carry no geometry, so the merge cannot leave a
// code's modules out of them as it does the accurate road's: where codes
// were found, the image is read again with their areas painted over.
Recognized fastWithoutCodes(const QImage& image, const QStringList& languages, const Engines& engines,
                            const Recognized& text, const std::vector<Code>& codes);

// The whole road of a capture: the quick code pass runs on a thread of its
// own while the text is read.
Recognized run(const Request& request, const Engines& engines = realEngines());

}  // namespace road
