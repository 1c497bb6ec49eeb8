// The recognition road's decisions with scripted engines: which text path
// runs and when its fallback is asked, when the thorough code pass runs, what
// is merged, that the quick code pass overlaps the text, and what settings a
// capture reads.
#include "app/RecognitionRoad.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "core/Settings.h"
#include "platform/PrefStore.h"
#include "recognition/base/OCRLanguages.h"
#include "tests/support/TestEnv.h"

namespace {

Recognized lines(const QStringList& rows) {
  Recognized r;
  for (const QString& row : rows) r.lines.push_back({Piece{PixelRect{}, row}});
  return r;
}

Code qr(const QString& payload) { return Code{PixelRect{0, 0, 10, 10}, payload, true}; }

// Engines that record their calls and answer what the test scripted.
struct Script {
  std::optional<Recognized> fast;
  Recognized accurate;
  std::vector<Code> quick, thorough;
  std::vector<std::string> calls;
  QStringList languagesSeen;
  QStringList fastLanguagesSeen;
  std::optional<bool> fallbackSeen;
  std::mutex lock;

  road::Engines engines() {
    road::Engines e;
    e.fast = [this](const QImage&, const QStringList& prefer) {
      note("fast");
      std::lock_guard g(lock);
      fastLanguagesSeen = prefer;
      return fast;
    };
    e.accurate = [this](const QImage&, const QStringList& prefer, bool fallback) {
      note("accurate");
      std::lock_guard g(lock);
      languagesSeen = prefer;
      fallbackSeen = fallback;
      return accurate;
    };
    e.codes = [this](const QImage&, bool thoroughPass, double budget) {
      note(thoroughPass ? "thorough" : "quick");
      EXPECT_DOUBLE_EQ(budget, 0.8);
      return thoroughPass ? thorough : quick;
    };
    e.merge = [this](const Recognized& text, const std::vector<Code>& codes) {
      note("merge");
      Recognized merged = text;
      merged.codes = codes;
      return merged;
    };
    return e;
  }
  void note(const char* name) {
    std::lock_guard g(lock);
    calls.push_back(name);
  }
  int count(const std::string& name) {
    std::lock_guard g(lock);
    return int(std::count(calls.begin(), calls.end(), name));
  }
};

road::Request request(bool fast) {
  road::Request r;
  r.image = QImage(40, 20, QImage::Format_RGB32);
  r.languages = {QStringLiteral("de-DE"), QStringLiteral("en-US")};
  r.fallback = false;
  r.fast = fast;
  return r;
}

QString visible(int n) { return QString(n, QLatin1Char('x')); }

}  // namespace

TEST(Road, EachModeAsksItsOtherPathOnlyWhenItsOwnReadNothing) {
  Script fast;  // the fast path read lines: the accurate road is not asked
  fast.fast = lines({"fast line"});
  EXPECT_EQ(road::run(request(true), fast.engines()).text(), "fast line");
  EXPECT_EQ(fast.count("accurate"), 0);

  Script fastNone;  // nothing from either: empty, and each asked once
  EXPECT_TRUE(road::run(request(true), fastNone.engines()).text().isEmpty());
  EXPECT_EQ(fastNone.count("fast"), 1);
  EXPECT_EQ(fastNone.count("accurate"), 1);
  EXPECT_EQ(fastNone.languagesSeen, request(true).languages);
  EXPECT_EQ(fastNone.fallbackSeen, false);

  Script accurate;
  accurate.accurate = lines({"accurate"});
  accurate.fast = lines({"fast"});
  EXPECT_EQ(road::run(request(false), accurate.engines()).text(), "accurate");
  EXPECT_EQ(accurate.count("fast"), 0);

  Script accurateEmpty;  // an empty accurate text gives way to the fast path's
  accurateEmpty.fast = lines({"from the fast path"});
  EXPECT_EQ(road::run(request(false), accurateEmpty.engines()).text(), "from the fast path");
}

TEST(Road, ThoroughCodePassOnlyWithoutQuickCodesAndBelow200VisibleCharacters) {
  // 199 visible characters (spaces and line breaks do not count) qualify; 200 do not.
  for (const auto& [text, thorough] : std::vector<std::pair<QStringList, bool>>{
           {{visible(99), visible(100) + "  "}, true},
           {{visible(100), visible(100)}, false},
           {{}, true}}) {
    Script s;
    s.accurate = lines(text);
    s.thorough = {qr(QStringLiteral("found late"))};
    const Recognized r = road::run(request(false), s.engines());
    EXPECT_EQ(s.count("thorough"), thorough ? 1 : 0) << text.join("|").size();
    EXPECT_EQ(r.codes.size(), thorough ? 1u : 0u);
    EXPECT_EQ(s.count("merge"), 1);
  }
  Script found;
  found.accurate = lines({"short"});
  found.quick = {qr(QStringLiteral("quick"))};
  const Recognized r = road::run(request(false), found.engines());
  EXPECT_EQ(found.count("thorough"), 0);
  ASSERT_EQ(r.codes.size(), 1u);
  EXPECT_EQ(r.codes[0].payload, "quick");

  // Characters are what a reader counts: a flag is one, not two.
  EXPECT_FALSE(road::wantsThoroughPass({}, lines({QString::fromUtf8("🇰🇷").repeated(200)})));
  EXPECT_TRUE(road::wantsThoroughPass({}, lines({QString::fromUtf8("🇰🇷").repeated(199)})));
}

TEST(Road, QuickCodePassRunsWhileTheTextIsRead) {
  // The text engine waits for the quick pass to have started: run() would
  // hang if it ran the two one after the other.
  std::mutex m;
  std::condition_variable cv;
  bool quickStarted = false;
  road::Engines e;
  e.fast = [](const QImage&, const QStringList&) { return std::optional<Recognized>(); };
  e.accurate = [&](const QImage&, const QStringList&, bool) {
    std::unique_lock l(m);
    const bool overlapped = cv.wait_for(l, std::chrono::seconds(5), [&] { return quickStarted; });
    return overlapped ? lines({"overlapped"}) : lines({"in turn"});
  };
  e.codes = [&](const QImage&, bool, double) {
    {
      std::lock_guard l(m);
      quickStarted = true;
    }
    cv.notify_all();
    return std::vector<Code>{qr(QStringLiteral("q"))};
  };
  e.merge = [](const Recognized& r, const std::vector<Code>&) { return r; };
  EXPECT_EQ(road::run(request(false), e).text(), "overlapped");
}

TEST(Road, CaptureSettingsComeFromThePreferences) {
  PrefStore store(testenv::scratch() + QStringLiteral("/road.conf"));
  Settings settings(store);
  const QImage image(10, 10, QImage::Format_RGB32);
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "de-DE", "fr-FR", "ko-KR"});

  // Automatic: the languages follow the interface language, fallback on.
  settings.setOcrFallback(false);
  settings.setLanguage(Lang(QStringLiteral("de")));
  road::Request r = road::requestFor(image, settings);
  EXPECT_EQ(r.languages, OCRLanguages::primary(QStringLiteral("de")));
  EXPECT_TRUE(r.fallback);
  EXPECT_FALSE(r.fast);

  // By hand: the chosen ones in table order, and the fallback as stored.
  settings.setOcrManual(true);
  settings.setOcrLanguages({QStringLiteral("de-DE"), QStringLiteral("xx-XX"), QStringLiteral("ko-KR")});
  settings.setFastMode(true);
  r = road::requestFor(image, settings);
  EXPECT_EQ(r.languages, (QStringList{"ko-KR", "de-DE"}));
  EXPECT_FALSE(r.fallback);
  EXPECT_TRUE(r.fast);

  // By hand with nothing ticked: never an empty list.
  settings.setOcrLanguages({});
  settings.setLanguage(Lang(QStringLiteral("auto")));
  r = road::requestFor(image, settings);
  EXPECT_EQ(r.languages, OCRLanguages::primary(std::nullopt));
  EXPECT_FALSE(r.languages.isEmpty());
  EXPECT_FALSE(r.fallback);
  OCRLanguages::setSupportedForTesting(std::nullopt);
}

TEST(Road, TheFastPathReadsWithTheLanguagesTheAccurateRoadIsGiven) {
  PrefStore store(testenv::scratch() + QStringLiteral("/fast-languages.conf"));
  Settings settings(store);
  settings.setLanguage(Lang(QStringLiteral("en")));  // an English interface
  settings.setFastMode(true);
  OCRLanguages::setSupportedForTesting(QStringList{"en-US", "ko-KR", "ja-JP", "ru-RU"});
  const QImage image(10, 10, QImage::Format_RGB32);
  const auto fastAndAccurate = [&] {
    Script s;  // the fast path reads nothing, so the accurate road is asked too
    road::run(road::requestFor(image, settings), s.engines());
    return std::pair{s.fastLanguagesSeen, s.languagesSeen};
  };

  // Chosen by hand: Korean, on an English system.
  Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; });
  settings.setOcrManual(true);
  settings.setOcrLanguages({QStringLiteral("ko-KR")});
  EXPECT_EQ(fastAndAccurate(), std::pair(QStringList{"ko-KR"}, QStringList{"ko-KR"}));

  // Automatic: the interface language, then the system's.
  settings.setOcrManual(false);
  Lang::setPreferredLanguagesSource([] { return QStringList{"ru-RU"}; });
  EXPECT_EQ(fastAndAccurate(), std::pair(QStringList{"en-US", "ru-RU"}, QStringList{"en-US", "ru-RU"}));
  settings.setLanguage(Lang(QStringLiteral("ja")));
  Lang::setPreferredLanguagesSource([] { return QStringList{"en-US"}; });
  EXPECT_EQ(fastAndAccurate().first, (QStringList{"ja-JP", "en-US"}));

  Lang::setPreferredLanguagesSource({});
  OCRLanguages::setSupportedForTesting(std::nullopt);
}
