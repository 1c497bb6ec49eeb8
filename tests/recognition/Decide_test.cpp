#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>

#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"
#include "tests/support/Printers.h"

namespace {

using Recognizer::Pass;
using Calls = std::vector<QStringList>;

const QStringList kEveryCode = {"en-US", "fr-FR", "it-IT", "de-DE", "es-ES",   "pt-BR", "vi-VT", "ko-KR",
                                "ja-JP", "zh-Hans", "zh-Hant", "ru-RU", "uk-UA", "th-TH", "ar-SA"};

// The first pass: the preferred codes, each once, English behind codes of
// other scripts; the seven Latin codes when nothing is preferred.
QStringList firstList(const QStringList& prefer) {
  const QStringList latin{"en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"};
  QStringList out;
  for (const QString& c : prefer.isEmpty() ? latin : prefer) {
    if (!out.contains(c)) out << c;
  }
  if (std::none_of(out.begin(), out.end(), [&](const QString& c) { return latin.contains(c); })) out << "en-US";
  return out;
}
QStringList latinReread(const char* lc) {
  return QStringList{lc, "en-US", "fr-FR", "it-IT", "de-DE", "es-ES", "pt-BR", "vi-VT"};
}
QStringList pair(const char* code) { return {code, "en-US"}; }

// A pass whose rows are the lines of `text`.
Pass pass(const QString& text, double confidence) {
  Pass p;
  double y = 1000;
  for (const QString& line : text.split('\n')) {
    if (!text.isEmpty()) p.result.lines.push_back({{{10, y, 100, 20}, line}});
    y -= 30;
  }
  p.confidence = confidence;
  return p;
}
QString letters(int n, char c = 'x') { return QString(n, QLatin1Char(c)); }

const QString kGerman = "Der schnelle braune Fuchs springt über den Hund.";  // 40 letters
const QString kFrench = "Le chat dort sur le canapé du salon.";                     // 28 letters
const QString kEnglish = "The quick brown fox jumps over the lazy dog.";            // 35 letters
const QString kKorean = "서울은 한국의 수도이고 부산은 항구 도시입니다";             // 20 letters
const QString kDigits = "2024 118 42 7";

// A reader that gives the scripted pass for a language list (an empty pass
// for any other) and records every list it was asked for.
class Decide : public ::testing::Test {
 protected:
  void SetUp() override { OCRLanguages::setSupportedForTesting(kEveryCode); }
  void TearDown() override {
    OCRLanguages::setSupportedForTesting(std::nullopt);
    for (const QStringList& list : calls) EXPECT_FALSE(list.isEmpty()) << "a pass without languages";
  }

  void script(const QStringList& languages, const Pass& p) { passes[languages.join(',')] = p; }

  // The road read one pass at a time (its calls recorded in order) and with
  // its passes side by side, which must ask for the same passes and come to
  // the same answer.
  QString run(const QStringList& prefer, bool fallback) {
    std::mutex mutex;
    Calls mine, side;
    auto reader = [&](Calls* into) {
      return [this, into, &mutex](const QImage&, const QStringList& languages) {
        std::lock_guard lock(mutex);
        into->push_back(languages);
        if (throwing.contains(languages.join(','))) throw std::runtime_error("the library gave up");
        const auto it = passes.find(languages.join(','));
        return it == passes.end() ? Pass{} : it->second;
      };
    };
    const Recognized result = Recognizer::recognize(QImage(), prefer, fallback, reader(&mine), 1);
    const Recognized together = Recognizer::recognize(QImage(), prefer, fallback, reader(&side), 8);
    EXPECT_TRUE(result.codes.empty());
    EXPECT_EQ(together.text(), result.text());
    EXPECT_TRUE(std::is_permutation(side.begin(), side.end(), mine.begin(), mine.end()));
    calls.insert(calls.end(), mine.begin(), mine.end());
    return result.text();
  }

  // A reader that gives the pass `from` holds for a language list (an empty
  // pass for any other) and records every list it is asked for `into`.
  Recognizer::Reader recording(const std::map<QString, Pass>& from, Calls& into) {
    return [this, &from, &into](const QImage&, const QStringList& languages) {
      std::lock_guard lock(recordingMutex);
      into.push_back(languages);
      const auto it = from.find(languages.join(','));
      return it == from.end() ? Pass{} : it->second;
    };
  }

  std::mutex recordingMutex;
  std::map<QString, Pass> passes;
  QStringList throwing;  // lists whose reader throws, as OpenCV or Tesseract may
  Calls calls;
};

TEST_F(Decide, PreferredLanguageReadWellIsAcceptedAfterOnePass) {
  script(firstList({"fr-FR"}), pass(kFrench, 0.9));
  EXPECT_EQ(run({"fr-FR"}, true), kFrench);
  EXPECT_EQ(calls, (Calls{firstList({"fr-FR"})}));
}

TEST_F(Decide, AcceptanceLimitsAreInclusive) {
  // Confidence exactly 0.6 passes.
  script(firstList({"fr-FR"}), pass(kFrench, 0.6));
  script(latinReread("fr-FR"), pass("lu de nouveau", 0.6));
  EXPECT_EQ(run({"fr-FR"}, true), kFrench);
  EXPECT_EQ(calls.size(), 1u);

  // Below it the road goes on to the Latin re-read (fr-FR is preferred).
  calls.clear();
  script(firstList({"fr-FR"}), pass(kFrench, 0.59));
  script(latinReread("fr-FR"), pass(kFrench + " encore", 0.59));
  EXPECT_EQ(run({"fr-FR"}, false), kFrench + " encore");
  EXPECT_EQ(calls, (Calls{firstList({"fr-FR"}), latinReread("fr-FR")}));

  // Score exactly 3.0: three letters at full confidence.
  calls.clear();
  script(firstList({"en-US"}), pass("The", 1.0));
  EXPECT_EQ(run({"en-US"}, true), "The");
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Decide, ThreeLettersAtNinetyPercentScore2Point7AndGoOn) {
  // "Oui" is French, preferred, confidence fine, but 2.7 < 3: step 4 with lc
  // fr-FR in prefer, so the Latin re-read runs even with fallback off.
  script(firstList({"fr-FR"}), pass("Oui", 0.9));
  script(latinReread("fr-FR"), pass("Qui", 0.9));
  EXPECT_EQ(run({"fr-FR"}, false), "Qui");
  EXPECT_EQ(calls, (Calls{firstList({"fr-FR"}), latinReread("fr-FR")}));

  // English has no Latin re-read: with fallback off and nothing after the
  // first code the first pass stands.
  calls.clear();
  script(firstList({"en-US"}), pass("The", 0.9));
  EXPECT_EQ(run({"en-US"}, false), "The");
  EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Decide, GermanTextWithKoreanPreferred) {
  // Fallback on: det "de" is no preferred base; lc de-DE gets its re-read,
  // and a re-read scoring exactly 0.95 of the first pass wins.
  script(firstList({"ko-KR"}), pass(kGerman, 0.5));        // 40 letters: 20
  script(latinReread("de-DE"), pass(letters(38), 0.5));  // 19 = 0.95 * 20
  EXPECT_EQ(run({"ko-KR"}, true), letters(38));
  EXPECT_EQ(calls, (Calls{firstList({"ko-KR"}), latinReread("de-DE")}));

  // Just below 0.95 the first pass stays.
  calls.clear();
  script(latinReread("de-DE"), pass(letters(38), 0.4999));
  EXPECT_EQ(run({"ko-KR"}, true), kGerman);
  EXPECT_EQ(calls.size(), 2u);

  // Fallback off: de-DE is not preferred and nothing follows ko-KR.
  calls.clear();
  EXPECT_EQ(run({"ko-KR"}, false), kGerman);
  EXPECT_EQ(calls, (Calls{firstList({"ko-KR"})}));
}

TEST_F(Decide, LatinRereadIsTheLastPass) {
  // A weak re-read loses to the first pass, and no script lead is tried after it.
  script(firstList({"ja-JP"}), pass(kGerman, 0.9));
  script(latinReread("de-DE"), pass("xx", 0.9));
  EXPECT_EQ(run({"ja-JP"}, true), kGerman);
  EXPECT_EQ(calls, (Calls{firstList({"ja-JP"}), latinReread("de-DE")}));
}

TEST_F(Decide, SecondChanceNeedsMoreThanFivePercent) {
  // Korean text with Japanese preferred: no preferred base, no Latin code.
  script(firstList({"ja-JP"}), pass(kKorean, 1.0));  // 20
  script(pair("ko-KR"), pass(letters(21), 1.0));      // exactly 1.05 * 20: stays
  EXPECT_EQ(run({"ja-JP"}, true), kKorean);
  EXPECT_EQ(calls, (Calls{firstList({"ja-JP"}), pair("ko-KR"), pair("zh-Hans"), pair("zh-Hant"), pair("ru-RU"),
                          pair("th-TH"), pair("ar-SA")}));
}

TEST_F(Decide, SecondChanceMeasuresAgainstTheNewBest) {
  script(firstList({"ja-JP"}), pass(kKorean, 1.0));      // 20
  script(pair("ko-KR"), pass(letters(22, 'k'), 1.0));    // 22 > 21: best
  script(pair("zh-Hans"), pass(letters(23, 's'), 1.0));  // 23 <= 23.1: stays
  script(pair("zh-Hant"), pass(letters(24, 't'), 1.0));  // 24 > 23.1: best
  script(pair("ru-RU"), pass(letters(25, 'r'), 1.0));    // 25 <= 25.2: stays
  EXPECT_EQ(run({"ja-JP"}, true), letters(24, 't'));
  EXPECT_EQ(calls.size(), 7u);
}

TEST_F(Decide, PassesFinishingLastToFirstStillCompareInOrder) {
  // The same scores as above; the six candidates all start before any of
  // them returns, and they return last to first.
  script(firstList({"ja-JP"}), pass(kKorean, 1.0));
  const QStringList order = {"ko-KR", "zh-Hans", "zh-Hant", "ru-RU", "th-TH", "ar-SA"};
  script(pair("ko-KR"), pass(letters(22, 'k'), 1.0));
  script(pair("zh-Hans"), pass(letters(23, 's'), 1.0));
  script(pair("zh-Hant"), pass(letters(24, 't'), 1.0));
  script(pair("ru-RU"), pass(letters(25, 'r'), 1.0));
  std::mutex mutex;
  std::condition_variable changed;
  int started = 0, returned = 0;
  const Recognizer::Reader reader = [&](const QImage&, const QStringList& languages) {
    const Pass p = passes.count(languages.join(',')) ? passes[languages.join(',')] : Pass{};
    const qsizetype at = order.indexOf(languages.front());
    if (at < 0) return p;
    std::unique_lock lock(mutex);
    ++started;
    changed.notify_all();
    changed.wait(lock, [&] { return started == order.size() && returned == order.size() - 1 - at; });
    ++returned;
    changed.notify_all();
    return p;
  };
  EXPECT_EQ(Recognizer::recognize(QImage(), {"ja-JP"}, true, reader, 8).text(), letters(24, 't'));
  EXPECT_EQ(returned, order.size());
}

TEST_F(Decide, LetterlessTextTriesEveryOtherScriptLead) {
  script(firstList({"zh-Hans"}), pass(kDigits, 0.9));
  script(pair("ar-SA"), pass("مرحبا بالعالم", 0.9));
  EXPECT_EQ(run({"zh-Hans"}, true), "مرحبا بالعالم");
  EXPECT_EQ(calls, (Calls{firstList({"zh-Hans"}), pair("ko-KR"), pair("ja-JP"), pair("zh-Hant"), pair("ru-RU"),
                          pair("th-TH"), pair("ar-SA")}));

  // Only supported leads are tried.
  calls.clear();
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "ru-RU", "zh-Hans"});
  script(pair("zh-Hans"), pass(kDigits, 0.9));
  EXPECT_EQ(run({"zh-Hans"}, true), kDigits);
  EXPECT_EQ(calls, (Calls{pair("zh-Hans"), pair("ru-RU")}));
}

TEST_F(Decide, FallbackOffTriesTheOtherPreferredScripts) {
  // Everything after the first preferred code except the Latin ones, in order.
  const QStringList prefer = {"ko-KR", "fr-FR", "ja-JP", "de-DE", "ru-RU"};
  const QStringList first = firstList(prefer);
  script(first, pass(kDigits, 0.9));
  script(pair("ru-RU"), pass("Привет", 0.9));
  EXPECT_EQ(run(prefer, false), "Привет");
  EXPECT_EQ(calls, (Calls{first, pair("ja-JP"), pair("ru-RU")}));

  // A single preferred code leaves no candidate: the first pass stands.
  calls.clear();
  EXPECT_EQ(run({"ru-RU"}, false), "Привет");
  EXPECT_EQ(calls, (Calls{firstList({"ru-RU"})}));
}

TEST_F(Decide, APassWhoseLibraryThrowsCountsAsEmptyAndTheOthersStillDecide) {
  // The first pass and one of the side-by-side second chances throw; read
  // one at a time and side by side on helper threads, neither ends the process.
  throwing << firstList({"en-US"}).join(',') << pair("ja-JP").join(',');
  script(pair("ko-KR"), pass(kKorean, 0.9));
  EXPECT_EQ(run({"en-US"}, true), kKorean);
  EXPECT_EQ(calls.size(), 8u);
}

TEST_F(Decide, ImageWithoutTextEndsEmpty) {
  // Every pass is empty: score 0 never beats 1.05 * 0.
  EXPECT_EQ(run({"en-US"}, true), "");
  EXPECT_EQ(calls.size(), 8u);
}

TEST_F(Decide, EmptyPreferenceReadsTheLatinCodes) {
  const QStringList first = firstList({});
  // German, read well: never accepted (no preferred base). Fallback off: the
  // re-read needs de-DE preferred and there are no candidates.
  script(first, pass(kGerman, 0.9));
  script(latinReread("de-DE"), pass(kGerman + " neu", 0.9));
  EXPECT_EQ(run({}, false), kGerman);
  EXPECT_EQ(calls, (Calls{first}));

  // Fallback on: the detected language gets its re-read.
  calls.clear();
  EXPECT_EQ(run({}, true), kGerman + " neu");
  EXPECT_EQ(calls, (Calls{first, latinReread("de-DE")}));

  // English (no Latin code) and letterless text get every script lead.
  for (const QString& text : {kEnglish, kDigits}) {
    calls.clear();
    script(first, pass(text, 0.9));
    EXPECT_EQ(run({}, true), text);
    EXPECT_EQ(calls, (Calls{first, pair("ko-KR"), pair("ja-JP"), pair("zh-Hans"), pair("zh-Hant"), pair("ru-RU"),
                            pair("th-TH"), pair("ar-SA")}));
  }
}

TEST_F(Decide, AListAlreadyReadIsNotReadAgain) {
  // A repeated preferred script would ask for the same pair twice.
  const QStringList prefer = {"ko-KR", "ja-JP", "ja-JP"};
  script(firstList(prefer), pass(kDigits, 0.9));
  script(pair("ja-JP"), pass("日本語", 0.9));
  EXPECT_EQ(run(prefer, false), "日本語");
  EXPECT_EQ(calls, (Calls{firstList(prefer), pair("ja-JP")}));

  // A candidate pair equal to the first pass's own list is that pass.
  calls.clear();
  OCRLanguages::setSupportedForTesting(QStringList{"ko-KR", "en-US"});
  script(pair("ko-KR"), pass(kDigits, 0.9));
  EXPECT_EQ(run({"ko-KR", "ko-KR"}, false), kDigits);
  EXPECT_EQ(calls, (Calls{pair("ko-KR")}));

  // Each call starts afresh.
  calls.clear();
  run({"ko-KR", "ko-KR"}, false);
  run({"ko-KR", "ko-KR"}, false);
  EXPECT_EQ(calls, (Calls{pair("ko-KR"), pair("ko-KR")}));
}

TEST_F(Decide, NeverReadsWithoutLanguages) {
  // No supported Latin code and nothing preferred: the supported list stands in.
  OCRLanguages::setSupportedForTesting(QStringList{"ko-KR", "ja-JP"});
  script(QStringList{"ko-KR", "ja-JP"}, pass(kKorean, 0.9));
  EXPECT_EQ(run({}, false), kKorean);
  EXPECT_EQ(calls, (Calls{{"ko-KR", "ja-JP"}}));

  // Nothing supported at all: English.
  calls.clear();
  OCRLanguages::setSupportedForTesting(QStringList{});
  EXPECT_EQ(run({}, false), "");
  EXPECT_EQ(calls, (Calls{{"en-US"}}));
  // (TearDown checks that no list in any of these tests was empty.)
}

TEST_F(Decide, ResultIsThePassResultWithItsTable) {
  Pass p = pass(kFrench, 0.9);
  p.result.table = Table{{{"a", "b"}, {"c", "d"}}};
  script(firstList({"fr-FR"}), p);
  const Recognized result = Recognizer::recognize(
      QImage(), {"fr-FR"}, true, [&](const QImage&, const QStringList& languages) {
        return passes.count(languages.join(',')) ? passes[languages.join(',')] : Pass{};
      });
  ASSERT_TRUE(result.table);
  EXPECT_EQ(result.table->rows, p.result.table->rows);
  EXPECT_EQ(result.text(), kFrench);
}

}  // namespace

// A second chance with previews reads whole only the candidates whose preview
// scores near the best one's; previews that tell nothing apart keep them all.
TEST_F(Decide, PreviewsNarrowTheSecondChanceToTheCandidatesNearTheBest) {
  std::map<QString, Pass> previews;
  Calls read, previewed;
  const Recognizer::Reader reader = recording(passes, read), preview = recording(previews, previewed);
  script(firstList({"en-US"}), pass(letters(20, 'e'), 0.3));
  script(pair("ko-KR"), pass(kKorean, 0.93));
  script(pair("th-TH"), pass(letters(40, 't'), 0.4));
  previews[pair("ko-KR").join(',')] = pass(letters(20, 'k'), 0.9);  // 18
  previews[pair("th-TH").join(',')] = pass(letters(25, 't'), 0.6);  // 15: over 0.8 of 18
  previews[pair("ja-JP").join(',')] = pass(letters(20, 'j'), 0.7);  // 14: under 0.8 of 18
  previews[pair("ar-SA").join(',')] = pass(letters(10, 'a'), 0.9);

  EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text(), kKorean);
  EXPECT_EQ(previewed.size(), 7u);
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("ko-KR"), pair("th-TH")}));

  // The candidate that reads best whole still wins among those kept.
  script(pair("th-TH"), pass(letters(60, 't'), 0.9));
  EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text(), letters(60, 't'));

  // Previews of nothing tell nothing: every candidate is read whole.
  previews.clear();
  read.clear();
  EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 1, preview).text(), letters(60, 't'));
  EXPECT_EQ(read.size(), 8u);

  // A first pass good enough in a preferred language needs no preview.
  previewed.clear();
  script(firstList({"en-US"}), pass(kEnglish, 0.95));
  EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text(), kEnglish);
  EXPECT_TRUE(previewed.empty());
}

// Candidates still kept after their previews are compared on a larger part
// of the page, as the walk compares whole passes (a later one leads only by
// more than 5 %). Where that part favours the candidate the previews favour,
// only it is read whole; where it does not, both are, and the walk decides.
TEST_F(Decide, ADuelOnALargerPartSparesTheWholeReadOfTheLoser) {
  std::map<QString, Pass> previews, duels;
  Calls read, previewed, duelled;
  const Recognizer::Reader reader = recording(passes, read), preview = recording(previews, previewed),
                           duel = recording(duels, duelled);
  const QString simplified = QString::fromUtf8("这是一个简单的中文句子用来测试识别的结果");   // 20 letters
  const QString traditional = QString::fromUtf8("這是一個簡單的中文句子用來測試識別的結果");  // 20 letters
  script(firstList({"en-US"}), pass(letters(20, 'e'), 0.3));
  script(pair("zh-Hans"), pass(simplified, 0.93));   // 18.6
  script(pair("zh-Hant"), pass(traditional, 0.9));   // 18
  previews[pair("zh-Hans").join(',')] = pass(simplified.left(8), 0.93);  // 7.44
  previews[pair("zh-Hant").join(',')] = pass(traditional.left(8), 0.9);  // 7.2: near, both kept
  auto recognize = [&] {
    read.clear();
    duelled.clear();
    const QString text = Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview, duel).text();
    std::sort(read.begin(), read.end());
    std::sort(duelled.begin(), duelled.end());
    return text;
  };

  // The larger part favours Simplified too: Traditional is not read whole.
  duels[pair("zh-Hans").join(',')] = pass(simplified, 0.88);   // 17.6
  duels[pair("zh-Hant").join(',')] = pass(traditional, 0.9);   // 18: not over 1.05 x 17.6
  EXPECT_EQ(recognize(), simplified);
  EXPECT_EQ(duelled, (Calls{pair("zh-Hans"), pair("zh-Hant")}));
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("zh-Hans")}));

  // It favours Traditional where the previews favoured Simplified: both are
  // read whole, and the whole reads decide.
  duels[pair("zh-Hans").join(',')] = pass(simplified, 0.85);  // 17: 18 is over 17.85
  EXPECT_EQ(recognize(), simplified);
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("zh-Hans"), pair("zh-Hant")}));
  script(pair("zh-Hant"), pass(traditional, 0.99));  // 19.8: over 1.05 x 18.6
  EXPECT_EQ(recognize(), traditional);

  // Previews and part both favour Traditional: Simplified is not read whole.
  previews[pair("zh-Hant").join(',')] = pass(traditional.left(8), 0.99);  // 7.92: over 1.05 x 7.44
  EXPECT_EQ(recognize(), traditional);
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("zh-Hant")}));

  // The one read whole must still beat the first pass.
  script(pair("zh-Hant"), pass(letters(5, 't'), 0.5));
  EXPECT_EQ(recognize(), letters(20, 'e'));

  // Parts that read nothing tell nothing: both are read whole.
  duels.clear();
  script(pair("zh-Hant"), pass(traditional, 0.99));
  EXPECT_EQ(recognize(), traditional);
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("zh-Hans"), pair("zh-Hant")}));

  // One candidate left after the previews needs no duel.
  previews[pair("zh-Hant").join(',')] = pass(letters(2, 'x'), 0.2);
  EXPECT_EQ(recognize(), simplified);
  EXPECT_TRUE(duelled.empty());
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("zh-Hans")}));
}

// With three candidates near, a duel that disagrees with the previews sends
// every one of them to a whole read, not only the two it named; a decisive
// preview (kana here) is read whole whatever a duel would say, so none runs.
TEST_F(Decide, ADuelThatDisagreesOrADecisivePreviewKeepsEveryCandidate) {
  std::map<QString, Pass> previews, duels;
  Calls read, previewed, duelled;
  const Recognizer::Reader reader = recording(passes, read), preview = recording(previews, previewed),
                           duel = recording(duels, duelled);
  const QString han = QString::fromUtf8("東京都千代田区丸の内一丁目");  // 13 letters, two of them kana
  const QString hanOnly = QString::fromUtf8("东京都千代田区丸之内一丁目");
  const QString traditional = QString::fromUtf8("東京都千代田區丸之內一丁目");
  script(firstList({"en-US"}), pass(letters(20, 'e'), 0.3));
  script(pair("ja-JP"), pass(han, 0.85));      // 11.05
  script(pair("zh-Hans"), pass(hanOnly, 0.9));  // 11.7
  script(pair("zh-Hant"), pass(traditional, 0.99));  // 12.87
  previews[pair("ja-JP").join(',')] = pass(hanOnly.left(6), 0.9);    // 5.4: favoured, Han alone
  previews[pair("zh-Hans").join(',')] = pass(hanOnly.left(6), 0.85); // 5.1
  previews[pair("zh-Hant").join(',')] = pass(hanOnly.left(6), 0.8);  // 4.8
  duels[pair("ja-JP").join(',')] = pass(hanOnly, 0.8);               // 10.4
  duels[pair("zh-Hans").join(',')] = pass(hanOnly, 0.9);             // 11.7: the duel's lead
  duels[pair("zh-Hant").join(',')] = pass(hanOnly, 0.85);
  auto recognize = [&] {
    read.clear();
    duelled.clear();
    const QString text = Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview, duel).text();
    std::sort(read.begin(), read.end());
    return text;
  };

  // The walk over the whole reads: zh-Hans leads ja-JP by over 5 %, and
  // zh-Hant zh-Hans.
  EXPECT_EQ(recognize(), traditional);
  EXPECT_EQ(duelled.size(), 3u);
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("ja-JP"), pair("zh-Hans"), pair("zh-Hant")}));

  // The Japanese preview reads kana clearly: decisive. A longer Chinese
  // preview scores as well and stays; no duel drops the Japanese whole read.
  previews[pair("ja-JP").join(',')] = pass(QString::fromUtf8("これはにほんごのぶんです"), 0.95);  // 11.4
  previews[pair("zh-Hans").join(',')] = pass(hanOnly + hanOnly, 0.9);                           // 23.4
  script(pair("ja-JP"), pass(han, 0.95));  // 12.35: zh-Hans's 11.7 does not lead it
  EXPECT_EQ(recognize(), han);
  EXPECT_TRUE(duelled.empty());
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("ja-JP"), pair("zh-Hans")}));
}

// A preview read well in a script that only its candidate reads (Hangul
// here) starts that candidate's whole read while the slower previews still
// run, and keeps it whatever they score. Han alone (Chinese and Japanese
// share it) or a doubtful read starts nothing early.
TEST_F(Decide, AClearPreviewInItsOwnScriptIsReadWholeWithoutWaitingForTheOthers) {
  std::mutex mutex;
  std::condition_variable changed;
  bool koreanRead = false;
  bool holdThai = true;
  Calls read;
  std::map<QString, Pass> previews;
  auto reader = [&](const QImage&, const QStringList& languages) {
    std::lock_guard lock(mutex);
    read.push_back(languages);
    if (languages == pair("ko-KR")) koreanRead = true;
    changed.notify_all();
    const auto it = passes.find(languages.join(','));
    return it == passes.end() ? Pass{} : it->second;
  };
  bool thaiSawKorean = false;
  auto preview = [&](const QImage&, const QStringList& languages) {
    std::unique_lock lock(mutex);
    // The Thai preview ends only once the Korean whole read has started (or
    // after a time no test run comes near: the check below fails then).
    if (holdThai && languages == pair("th-TH"))
      thaiSawKorean = changed.wait_for(lock, std::chrono::seconds(20), [&] { return koreanRead; });
    const auto it = previews.find(languages.join(','));
    return it == previews.end() ? Pass{} : it->second;
  };
  script(firstList({"en-US"}), pass(letters(20, 'e'), 0.3));
  script(pair("ko-KR"), pass(kKorean, 0.93));
  script(pair("th-TH"), pass(letters(40, 't'), 0.4));
  previews[pair("ko-KR").join(',')] = pass(kKorean.left(6), 0.9);                 // 5 letters: 4.5
  previews[pair("th-TH").join(',')] = pass(letters(40, 't'), 0.6);                // 24, the top
  previews[pair("ja-JP").join(',')] = pass(QString::fromUtf8("東京大"), 0.95);  // Han alone: 2.85

  EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text(), kKorean);
  EXPECT_TRUE(thaiSawKorean);
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("ko-KR"), pair("th-TH")}));

  // Once a preview is decisive, a candidate is read whole only if its
  // preview scores as well, not merely near the best.
  holdThai = false;
  read.clear();
  previews[pair("ko-KR").join(',')] = pass(kKorean, 0.9);                  // 18
  previews[pair("th-TH").join(',')] = pass(letters(25, 't'), 0.6);         // 15: over 0.8 of 18
  EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text(), kKorean);
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("ko-KR")}));

  // Read doubtfully, or a syllable or two among digits, a Hangul preview is
  // screened like any other.
  previews[pair("th-TH").join(',')] = pass(letters(40, 't'), 0.6);
  for (const Pass& weak : {pass(kKorean.left(6), 0.8), pass(QString::fromUtf8("사진 108 2024"), 0.95)}) {
    read.clear();
    previews[pair("ko-KR").join(',')] = weak;
    EXPECT_EQ(Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text(), letters(40, 't'));
    std::sort(read.begin(), read.end());
    EXPECT_EQ(read, (Calls{firstList({"en-US"}), pair("th-TH")}));
  }
}

// Another script read by Latin models can look like a Latin language; the
// re-read is then Latin junk. Where the first pass is doubtful, a preview
// that reads its own script clearly (Han too) sends the road on to the
// second chance; a sure first pass is re-read in Latin without previews.
TEST_F(Decide, LatinLookingTextInAnotherScriptStillGetsItsSecondChance) {
  std::map<QString, Pass> previews;
  Calls read, previewed;
  const Recognizer::Reader reader = recording(passes, read), preview = recording(previews, previewed);
  const QString russian = QString::fromUtf8("Имя Размер Тип Изменён");  // 19 letters
  script(firstList({"en-US"}), pass(kGerman, 0.6));                      // detected "de": 24
  script(latinReread("de-DE"), pass(kGerman, 0.7));                      // 28
  script(pair("ru-RU"), pass(russian + " " + russian, 0.9));             // 34.2
  previews[pair("ru-RU").join(',')] = pass(russian, 0.9);
  previews[pair("th-TH").join(',')] = pass(letters(20, 't'), 0.5);
  auto recognize = [&] {
    read.clear();
    previewed.clear();
    const QString text = Recognizer::recognize(QImage(), {"en-US"}, true, reader, 8, preview).text();
    std::sort(read.begin(), read.end());
    return text;
  };

  EXPECT_EQ(recognize(), russian + " " + russian);
  EXPECT_EQ(previewed.size(), 7u);
  EXPECT_EQ(read, (Calls{latinReread("de-DE"), firstList({"en-US"}), pair("ru-RU")}));

  // Han read clearly counts as well, though it starts no whole read early.
  previews.erase(pair("ru-RU").join(','));
  previews[pair("zh-Hans").join(',')] = pass(QString::fromUtf8("您的更改已于上午保存"), 0.9);
  script(pair("zh-Hans"), pass(QString::fromUtf8("您的更改已于上午保存要共享此文档请点击共享然后输入要邀请的人员"), 0.9));
  EXPECT_EQ(recognize().left(4), QString::fromUtf8("您的更改"));

  // No preview reads its script clearly: the Latin re-read is the answer.
  previews[pair("zh-Hans").join(',')] = pass(QString::fromUtf8("您的更改已于上午保存"), 0.8);
  EXPECT_EQ(recognize(), kGerman);
  EXPECT_EQ(previewed.size(), 7u);
  EXPECT_EQ(read, (Calls{latinReread("de-DE"), firstList({"en-US"})}));

  // A first pass read surely needs no preview.
  previews[pair("ru-RU").join(',')] = pass(russian, 0.9);
  script(firstList({"en-US"}), pass(kGerman, 0.85));
  script(latinReread("de-DE"), pass(kGerman, 0.9));
  EXPECT_EQ(recognize(), kGerman);
  EXPECT_TRUE(previewed.empty());
  EXPECT_EQ(read, (Calls{latinReread("de-DE"), firstList({"en-US"})}));
}

// A candidate's pass in another script replaces the first pass only as words
// of its language: the Japanese model's kana made of an Arabic dialog (more
// letters than the Arabic read, unsurely), an Arabic, Chinese or Thai read of
// a title bar's buttons (a letter or two over and over, surely) are junk.
TEST_F(Decide, ASecondChanceInAnotherScriptWinsOnlyAsWordsOfItsLanguage) {
  struct Case {
    const char* what;
    QStringList prefer;
    Pass first;
    const char* candidate;
    Pass alt;
    bool altWins;
  };
  const QString arabic = QString::fromUtf8("المدى مقلوب");  // 10 letters: 5.5
  const QString korean = kKorean;
  for (const Case& c : {
           Case{"kana made of an Arabic dialog", {"ar-SA"}, pass(arabic, 0.55), "ja-JP",
                pass(QString::fromUtf8("ュー\nちょのもao 4にJI dasa!"), 0.45), false},  // 15 letters: 6.75
           Case{"Arabic made of buttons", {"en-US"}, pass("", 0), "ar-SA", pass(QString::fromUtf8("لالالا"), 0.81), false},
           Case{"Han made of buttons", {"en-US"}, pass("", 0), "zh-Hans", pass(QString::fromUtf8("口口口"), 0.92), false},
           Case{"Thai made of buttons", {"en-US"}, pass("", 0), "th-TH", pass(QString::fromUtf8("ทพพ"), 0.88), false},
           Case{"Arabic letters read unsurely", {"en-US"}, pass("-1 |", 0.45), "ar-SA",
                pass(QString::fromUtf8("!ء*اآه!-"), 0.56), false},
           Case{"a Korean page", {"en-US"}, pass("HX", 0.4), "ko-KR", pass(korean, 0.9), true},
           Case{"a button of two Han letters", {"en-US"}, pass("", 0), "zh-Hans", pass(QString::fromUtf8("取消"), 0.9), true},
           Case{"two like Han letters", {"en-US"}, pass("", 0), "zh-Hans", pass(QString::fromUtf8("口口"), 0.9), false},
       }) {
    SCOPED_TRACE(c.what);
    passes.clear();
    script(firstList(c.prefer), c.first);
    script(pair(c.candidate), c.alt);
    EXPECT_EQ(run(c.prefer, true), (c.altWins ? c.alt : c.first).result.text());
  }
}
