// The capture road with the real controllers, toast and marker (offscreen)
// and scripted recognition engines.
#include "app/CaptureRoad.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

#include "capture/CaptureController.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionMarker.h"
#include "core/CPUMeter.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "recognition/engines/EnginePool.h"
#include "recognition/engines/HugePages.h"
#include "recognition/Recognizer.h"
#include "recognition/engines/Stop.h"
#include "tests/recognition/CodeImages.h"
#include "tests/recognition/TextImages.h"
#include "toast/ToastController.h"
#include "toast/ToastPanel.h"
#include "ui/onboarding/OnboardingController.h"
#include "tests/support/TestEnv.h"

namespace {

using testenv::waitUntil;

// A desktop with one screen whose still is taken at once, or fails.
class Desktop : public CaptureSystem {
 public:
  bool fails = false;
  bool noScreen = false;  // every monitor unplugged
  QPoint pointer() const override { return {50, 50}; }
  std::vector<Screen> screens() const override {
    if (noScreen) return {};
    return {{"screen", {0, 0, 400, 300}, 1}};
  }
  int primary() const override { return noScreen ? -1 : 0; }
  std::optional<uint32_t> frontWindow() const override { return 0x400001; }
  void activate(uint32_t) override {}
  void snapshot(const Screen&, QObject*, std::function<void(std::optional<capture::Still>)> done) override {
    if (fails) return done(std::nullopt);
    capture::Still still;
    still.image = QImage(400, 300, QImage::Format_RGB32);
    still.image.fill(Qt::white);
    done(still);
  }
  void restoreOwnWindows() override {}
};

// Engines whose text depends on the image's width (1: nothing found, 7: a
// QR code beside the text); each accurate read waits until the test opens
// the gate for that width (or the gates are open for all). A read of a width
// in `untilStopped` goes on until its recognition is asked to stop.
struct Gates {
  std::mutex m;
  std::condition_variable cv;
  std::set<int> open;
  bool all = true;
  std::atomic<int> finished{0};
  std::set<int> untilStopped;
  std::atomic<int> reading{0}, stopped{0};
  // The road's clock: a read moves it on by readNs.
  std::atomic<qint64> clockNs{0}, readNs{0};

  road::Engines engines() {
    road::Engines e;
    e.fast = [](const QImage& image, const QStringList&) {
      if (image.width() == 1) return std::optional<Recognized>();
      return std::optional<Recognized>(lineOf(QStringLiteral("fast %1").arg(image.width())));
    };
    e.accurate = [this](const QImage& image, const QStringList&, bool) {
      if (untilStopped.count(image.width())) {
        ++reading;
        for (int i = 0; i < 5000 && !Recognizer::stopRequested(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const bool stop = Recognizer::stopRequested();
        --reading;
        stopped += stop;
        return stop ? Recognized{} : lineOf(QStringLiteral("accurate %1").arg(image.width()));
      }
      std::unique_lock l(m);
      cv.wait_for(l, std::chrono::seconds(10), [&] { return all || open.count(image.width()); });
      if (image.width() == 1) return Recognized{};
      return lineOf(QStringLiteral("accurate %1").arg(image.width()));
    };
    e.codes = [](const QImage& image, bool, double) {
      return image.width() == 7 ? std::vector<Code>{Code{PixelRect{0, 0, 5, 5}, QStringLiteral("https://qr.example"), true}}
                                : std::vector<Code>{};
    };
    e.merge = [this](const Recognized& text, const std::vector<Code>& codes) {
      ++finished;  // the last step before the result is handed back
      clockNs += readNs;
      Recognized r = text;
      for (auto it = codes.rbegin(); it != codes.rend(); ++it) r.lines.insert(r.lines.begin(), {Piece{it->rect, it->payload}});
      r.codes = codes;
      return r;
    };
    return e;
  }
  void release(int width) {
    {
      std::lock_guard l(m);
      open.insert(width);
    }
    cv.notify_all();
  }
  static Recognized lineOf(const QString& text) {
    Recognized r;
    r.lines.push_back({Piece{PixelRect{}, text}});
    return r;
  }
};

QImage ofWidth(int w) {
  QImage image(w, 10, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

QString clipboardText() { return QGuiApplication::clipboard()->text(); }

struct CaptureRoadTest : ::testing::Test {
  std::shared_ptr<Desktop> desktop = std::make_shared<Desktop>();
  CaptureController capture{desktop};
  ToastController toast;
  SelectionMarker marker;
  CPUMeter cpu;
  OnboardingController onboarding{[] { return true; }};
  Gates gates;
  std::vector<Glyph> glyphs;
  int accessRequests = 0;
  std::optional<uint32_t> menuWindow;
  testenv::LogCapture log{QStringLiteral("tarvok.reporting")};
  std::unique_ptr<CaptureRoad> road;

  void SetUp() override { build(gates.engines()); }
  void build(road::Engines engines, int coolDownMs = CaptureRoad::kCoolDownMs) {
    Settings::shared().setFastMode(false);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    CaptureRoad::Hooks hooks;
    hooks.glyph = [this](Glyph g) { glyphs.push_back(g); };
    hooks.handOverMenu = [this] { return menuWindow; };
    hooks.requestScreenAccess = [this] { ++accessRequests; };
    hooks.clockNs = [this] { return gates.clockNs.load(); };
    hooks.coolDownMs = coolDownMs;
    road = std::make_unique<CaptureRoad>(CaptureRoad::Parts{capture, toast, marker, cpu, onboarding}, hooks,
                                         std::move(engines));
    road->install();
  }
  void TearDown() override {
    gates.all = true;
    gates.cv.notify_all();
    road.reset();  // waits for what still runs
  }
  bool idle() {
    return waitUntil([&] { return !road->recognizing(); }) && (QCoreApplication::processEvents(), true);
  }
};

// The same road with this build's engines: pictures read for real.
struct RealCaptureRoadTest : CaptureRoadTest {
  void SetUp() override {
    build(road::realEngines());
    Settings::shared().setTables(true);  // "Copy tables as tables", as installed
  }
};

}  // namespace

TEST_F(CaptureRoadTest, OnlyTheNewestRecognitionDeliversWhicheverFinishesFirst) {
  gates.all = false;
  // The newer one finishes first: the older one, finishing last, changes nothing.
  road->picked(ofWidth(101), QRectF(10, 10, 101, 10));
  road->picked(ofWidth(102), QRectF(20, 20, 102, 10));
  gates.release(102);
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "accurate 102"; }));
  MarkerWindow* const after = marker.live();
  log.clear();
  gates.release(101);
  ASSERT_TRUE(idle());
  EXPECT_EQ(clipboardText(), "accurate 102");
  EXPECT_EQ(toast.model().result().text(), "accurate 102");
  EXPECT_EQ(marker.live(), after);
  EXPECT_FALSE(log.contains(QStringLiteral("capture.done")));

  // The older one finishes first while a newer pick is read: dropped too.
  road->picked(ofWidth(103), QRectF(30, 30, 103, 10));
  road->picked(ofWidth(104), QRectF(40, 40, 104, 10));
  gates.release(103);
  ASSERT_TRUE(waitUntil([&] { return gates.finished == 3; }));
  testenv::pump(50);  // its result is handed back by now
  EXPECT_EQ(clipboardText(), "accurate 102");
  EXPECT_EQ(toast.model().kind(), ToastController::Kind::working);
  gates.release(104);
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "accurate 104"; }));
}

TEST_F(CaptureRoadTest, ANewerPickAndQuittingStopTheRecognitionsStillRunning) {
  gates.all = false;
  gates.untilStopped = {201, 203};
  road->picked(ofWidth(201), QRectF(10, 10, 201, 10));
  ASSERT_TRUE(waitUntil([&] { return gates.reading == 1; }));
  road->picked(ofWidth(202), QRectF(20, 20, 202, 10));
  gates.release(202);
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "accurate 202"; }));
  ASSERT_TRUE(idle());
  EXPECT_EQ(gates.stopped, 1) << "the superseded read was stopped, not waited for";
  EXPECT_EQ(toast.model().kind(), ToastController::Kind::picked) << "its empty result was dropped";

  road->picked(ofWidth(203), QRectF(30, 30, 203, 10));
  ASSERT_TRUE(waitUntil([&] { return gates.reading == 1; }));
  EXPECT_TRUE(road->settle(10000));
  EXPECT_EQ(gates.stopped, 2);
  QCoreApplication::processEvents();
  EXPECT_EQ(clipboardText(), "accurate 202");
}

TEST_F(CaptureRoadTest, DeliveryReportsBucketedCountsShowsTheToastAndTurnsTheGlyphBackToIdle) {
  gates.clockNs = 5'000'000'000;  // the time since the road was made is not the capture's
  gates.readNs = 700'000'000;
  road->picked(ofWidth(7), QRectF(0, 0, 7, 10));  // a QR code beside one line of text
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "https://qr.example\naccurate 7"; }));
  EXPECT_TRUE(log.contains(QStringLiteral(
      "signal dropped: capture.done chars=21-100 code=qr lines=2-5 mode=accurate seconds=<1 table=no")))
      << log.lines().join('\n').toStdString();
  EXPECT_EQ(toast.model().kind(), ToastController::Kind::picked);
  EXPECT_EQ(glyphs, std::vector<Glyph>{Glyph::picked});
  EXPECT_TRUE(waitUntil([&] { return glyphs.size() == 2; }));
  EXPECT_EQ(glyphs.back(), Glyph::idle);

  // Counts land in their buckets; a table and bar codes are told apart.
  Recognized r;
  for (int i = 0; i < 6; ++i) r.lines.push_back({Piece{PixelRect{}, QStringLiteral("x")}});
  r.table = Table{{{"a", "b"}}};
  r.codes = {Code{PixelRect{}, QStringLiteral("123"), false}};
  const auto p = CaptureRoad::doneParameters(r, QStringLiteral("fast"), 12.0);
  EXPECT_EQ(p.value("lines"), "6-20");
  EXPECT_EQ(p.value("chars"), "6-20");  // six letters and five line breaks
  EXPECT_EQ(p.value("table"), "yes");
  EXPECT_EQ(p.value("code"), "bar");
  EXPECT_EQ(p.value("seconds"), "10+");
  EXPECT_EQ(p.value("mode"), "fast");
}

// Undo puts back what the clipboard held when the result was written: a copy
// made while the capture was read is not lost.
TEST_F(CaptureRoadTest, UndoRestoresACopyMadeWhileTheCaptureWasRead) {
  gates.all = false;
  road->picked(ofWidth(301), QRectF(0, 0, 301, 10));
  QGuiApplication::clipboard()->setText(QStringLiteral("copied meanwhile"));
  gates.release(301);
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "accurate 301"; }));
  toast.actions().undo();
  EXPECT_EQ(clipboardText(), "copied meanwhile");
}

TEST_F(CaptureRoadTest, AnEmptyResultShowsTheEmptyToastAndLeavesTheClipboardAlone) {
  road->picked(ofWidth(1), QRectF(0, 0, 1, 10));
  ASSERT_TRUE(waitUntil([&] { return toast.model().kind() == ToastController::Kind::empty; }));
  EXPECT_EQ(clipboardText(), "before");
  EXPECT_TRUE(log.contains(QStringLiteral("signal dropped: capture.empty mode=accurate")));
  EXPECT_FALSE(log.contains(QStringLiteral("capture.done")));
  EXPECT_EQ(glyphs, std::vector<Glyph>{Glyph::idle});
}

TEST_F(CaptureRoadTest, StartingTakesTheMenusWindowAndKeepsTheBaselineOfAnOpenOverlay) {
  Settings::shared().setFastMode(true);
  menuWindow = 0x500007;
  road->startCapture();
  ASSERT_TRUE(capture.isOpen());
  EXPECT_EQ(capture.previousWindow(), 0x500007u);
  EXPECT_EQ(glyphs, std::vector<Glyph>{Glyph::picking});
  EXPECT_TRUE(log.contains(QStringLiteral("capture.started mode=fast")));

  cpu.last = CPUMeter::Ticks{1, 2};
  road->startCapture();  // the hot key again on the open overlay
  ASSERT_TRUE(cpu.last.has_value());
  EXPECT_EQ(cpu.last->busy, 1);
  EXPECT_EQ(int(log.lines().filter(QStringLiteral("capture.started")).size()), 2);

  capture.window()->hide();
  road->cancelled();
  EXPECT_EQ(glyphs.back(), Glyph::idle);
  EXPECT_TRUE(log.contains(QStringLiteral("capture.cancelled")));
}

TEST_F(CaptureRoadTest, RetryReadsTheLastPickAccuratelyAndSameSpotThatFailsForgetsItsRequest) {
  road->retryAccurate();  // nothing picked yet
  EXPECT_FALSE(log.contains(QStringLiteral("toast.retryAccurate")));
  EXPECT_EQ(road->sequence(), 0u);

  Settings::shared().setFastMode(true);
  road->picked(ofWidth(55), QRectF(5, 5, 55, 10));
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "fast 55"; }));
  road->retryAccurate();
  EXPECT_FALSE(Settings::shared().fastMode());
  EXPECT_EQ(toast.model().kind(), ToastController::Kind::working);
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "accurate 55"; }));
  EXPECT_TRUE(log.contains(QStringLiteral("toast.retryAccurate")));
  EXPECT_TRUE(log.contains(QStringLiteral("mode=accurate seconds=")));
  ASSERT_TRUE(road->lastPicked().has_value());
  EXPECT_EQ(road->lastPicked()->rect, QRectF(5, 5, 55, 10));

  desktop->fails = true;
  road->sameSpot();
  EXPECT_TRUE(log.contains(QStringLiteral("toast.sameSpot")));
  EXPECT_FALSE(capture.pendingLast());
  EXPECT_EQ(glyphs.back(), Glyph::idle);
}

// The engines cool down once results stop coming, never while a capture is
// read, with the languages and the mode of the preferences.
TEST_F(CaptureRoadTest, TheEnginesCoolDownOnceAfterTheLastResult) {
  std::mutex m;
  std::vector<std::pair<QStringList, bool>> cooled;
  road::Engines engines = gates.engines();
  engines.coolDown = [&](const QStringList& prefer, bool fast) {
    std::lock_guard l(m);
    cooled.emplace_back(prefer, fast);
  };
  build(engines, 100);
  auto count = [&] {
    std::lock_guard l(m);
    return cooled.size();
  };
  gates.all = false;
  road->picked(ofWidth(401), QRectF(0, 0, 401, 10));
  testenv::pump(300);  // longer than the delay: a capture being read is no quiet time
  EXPECT_EQ(count(), 0u);
  gates.release(401);
  ASSERT_TRUE(waitUntil([] { return clipboardText() == "accurate 401"; }));
  ASSERT_TRUE(waitUntil([&] { return count() == 1; }));
  testenv::pump(300);
  ASSERT_EQ(count(), 1u) << "once per quiet spell";
  EXPECT_EQ(cooled[0].first, road::languagesFor(Settings::shared()));
  EXPECT_FALSE(cooled[0].second);
}

TEST_F(CaptureRoadTest, CaptureErrorsTellTheirReasonAndAskForAccessOnce) {
  desktop->noScreen = true;
  road->startCapture();
  EXPECT_TRUE(log.contains(QStringLiteral("capture.failed reason=noDisplay")));
  // The user is told what happened, not sent to the screen-access guide.
  EXPECT_EQ(toast.model().kind(), ToastController::Kind::noDisplay);
  ASSERT_TRUE(toast.panel() && toast.panel()->isVisible());
  const ToastLayout& shown = toast.view()->cardLayout();
  const Strings texts = L::table(Settings::shared().language());
  EXPECT_EQ(shown.title.text, texts.noDisplay);
  ASSERT_EQ(shown.blocks.size(), 1u);
  EXPECT_TRUE(shown.blocks[0].paragraph->shownText().startsWith(texts.noDisplaySub.section(QLatin1Char(' '), 0, 1)));
  EXPECT_EQ(onboarding.window(), nullptr);
  EXPECT_EQ(accessRequests, 0);
  EXPECT_EQ(glyphs.back(), Glyph::idle);
  EXPECT_EQ(clipboardText(), "before");
  toast.hide();
  desktop->noScreen = false;

  desktop->fails = true;
  road->startCapture();
  road->startCapture();
  EXPECT_TRUE(log.contains(QStringLiteral("capture.failed reason=permission")));
  ASSERT_NE(onboarding.window(), nullptr);
  EXPECT_TRUE(onboarding.window()->isVisible());
  EXPECT_EQ(accessRequests, 1);
  EXPECT_TRUE(road->askedPermission());
  EXPECT_EQ(glyphs.back(), Glyph::idle);
  onboarding.window()->hide();
}

TEST_F(RealCaptureRoadTest, TwoCodesAndACaptionPutThePayloadsOnTheClipboardFirstWithoutJunk) {
  const QString caption = QStringLiteral("Scan the left code for the guide, the right one to join");
  const QImage window =
      codeimages::twoCodesWithCaption("https://example.org/wifi", "WIFI:S:Guest;T:WPA;P:tarvok42;;", caption);
  road->picked(window, QRectF(100, 100, window.width(), window.height()));
  ASSERT_TRUE(waitUntil([&] { return toast.model().kind() == ToastController::Kind::picked; }, 20000));
  // Letters read off the codes' modules (a row across both codes) are gone,
  // and with them the table they made.
  EXPECT_EQ(clipboardText(), "https://example.org/wifi\nWIFI:S:Guest;T:WPA;P:tarvok42;;\n" + caption);
  EXPECT_FALSE(toast.model().result().table);
}

TEST_F(RealCaptureRoadTest, ATableBesideACodeStartsAsTextWithThePayloadAndStillOffersTheTable) {
  QImage window(760, 260, QImage::Format_RGB32);
  window.fill(Qt::white);
  codeimages::draw(window, codeimages::encode(codeimages::BarcodeFormat::QRCode, "https://shop.example/cart"), 620, 40,
                   4);
  {
    QPainter p(&window);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(24);
    p.setFont(font);
    p.setPen(Qt::black);
    const QStringList rows[] = {{"Fruit", "Count", "Price"}, {"Apple", "12", "3.50"}, {"Melon", "4", "7.25"}};
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) p.drawText(30 + 180 * c, 60 + 60 * r, rows[r][c]);
  }
  road->picked(window, QRectF(0, 0, window.width(), window.height()));
  ASSERT_TRUE(waitUntil([&] { return toast.model().kind() == ToastController::Kind::picked; }, 20000));
  EXPECT_TRUE(clipboardText().startsWith(QStringLiteral("https://shop.example/cart\nFruit Count Price\n")))
      << clipboardText().toStdString();
  EXPECT_FALSE(toast.model().asTable());
  ASSERT_TRUE(toast.model().result().table) << "As table stays on offer";
  toast.actions().toggleTable();
  EXPECT_EQ(clipboardText(), "Fruit\tCount\tPrice\nApple\t12\t3.50\nMelon\t4\t7.25");
}

// Once captures stop coming only the warm engines stay, the line finder's
// kept buffers go back, and the next capture reads as well.
TEST_F(RealCaptureRoadTest, OnceCapturesStopOnlyTheWarmEnginesStayAndTheNextCaptureReadsAsWell) {
  build(road::realEngines(), 200);
  const QStringList page{QStringLiteral("The quarterly report is attached for your review before Friday."),
                         QStringLiteral("Please confirm the shipping address and the order number 48213."),
                         QStringLiteral("Meeting notes: budget approved, hiring plan moves to next month.")};
  textimages::Style style;
  style.px = 18;
  const QImage window = textimages::lines(page, style, 1600).image;
  EnginePool& pool = EnginePool::shared();
  const QString key = pool.keyFor(Recognizer::firstPassLanguages(road::languagesFor(Settings::shared())));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "warm" : "after the cool-down");
    pool.fill(key, 5);  // as a large capture leaves them
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    road->picked(window, QRectF(0, 0, window.width(), window.height()));
    ASSERT_TRUE(waitUntil([] { return clipboardText() != "before"; }, 20000));
    EXPECT_EQ(clipboardText(), page.join(QLatin1Char('\n')));
    ASSERT_TRUE(waitUntil([&] { return pool.idleTotal() == Recognizer::kWarmEngines && !road->recognizing(); }, 10000));
    EXPECT_EQ(pool.idle(key), Recognizer::kWarmEngines);
    EXPECT_EQ(ocr::keptFreedBytes(), 0u);
  }
}
