// The capture controller's decisions against a scripted desktop: which screen,
// one capture at a time, same-spot requests, the hot key on an open overlay,
// cancels and errors, and the crop it hands back.
#include "capture/CaptureController.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include "capture/OverlayView.h"
#include "capture/OverlayWindow.h"
#include "tests/support/Printers.h"

namespace {

class FakeSystem : public CaptureSystem {
 public:
  std::vector<Screen> all{{"left", {0, 0, 1440, 900}, 2}, {"right", {1440, 0, 1280, 800}, 1}};
  int primaryIndex = 0;
  QPoint at{100, 100};
  std::vector<uint32_t> activated;
  std::vector<QString> snapshots;
  int restores = 0;
  std::optional<Screen> shooting;
  std::function<void(std::optional<capture::Still>)> pending;

  QPoint pointer() const override { return at; }
  std::vector<Screen> screens() const override { return all; }
  int primary() const override { return primaryIndex; }
  std::optional<uint32_t> frontWindow() const override { return 0x400001; }
  void activate(uint32_t window) override { activated.push_back(window); }
  void snapshot(const Screen& screen, QObject*, std::function<void(std::optional<capture::Still>)> done) override {
    snapshots.push_back(screen.name);
    shooting = screen;
    pending = std::move(done);
  }
  void restoreOwnWindows() override { ++restores; }

  // Completes the snapshot in flight with a still of the screen's pixel size.
  void deliver(bool ok = true) {
    auto done = std::move(pending);
    if (!ok) return done(std::nullopt);
    const Screen& s = *shooting;
    capture::Still still;
    still.image = QImage(int(s.geometry.width() * s.ratio), int(s.geometry.height() * s.ratio), QImage::Format_RGB32);
    for (int y = 0; y < still.image.height(); ++y)
      for (int x = 0; x < still.image.width(); ++x) still.image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 7));
    still.frames = {{int(s.geometry.x() + 200 * s.ratio), int(200 * s.ratio), 400, 300}};
    done(still);
  }
};

struct CaptureControllerTest : ::testing::Test {
  std::shared_ptr<FakeSystem> sys = std::make_shared<FakeSystem>();
  CaptureController controller{sys};
  std::vector<std::pair<QImage, QRectF>> picked;
  int cancels = 0;
  std::vector<CaptureError> errors;

  void SetUp() override {
    controller.onPicked = [this](const QImage& image, const QRectF& rect) { picked.emplace_back(image, rect); };
    controller.onCancel = [this] { ++cancels; };
    controller.onError = [this](CaptureError e) { errors.push_back(e); };
  }
  OverlayView* view() { return controller.window() ? controller.window()->overlay() : nullptr; }
  void openOn(QPoint pointer) {
    sys->at = pointer;
    controller.start();
    sys->deliver();
  }
  void press(quint32 scan, Qt::KeyboardModifiers mods = {}, bool repeat = false) {
    QKeyEvent ev(QEvent::KeyPress, 0, mods, scan, 0, 0, QString(), repeat);
    QCoreApplication::sendEvent(view(), &ev);
  }
};

}  // namespace

TEST_F(CaptureControllerTest, OneCaptureAtATimeOnTheScreenUnderThePointer) {
  sys->at = {1500, 10};
  controller.start();
  controller.start();  // during the grab: dropped
  EXPECT_EQ(sys->snapshots, std::vector<QString>{"right"});
  sys->deliver();
  ASSERT_TRUE(controller.isOpen());
  EXPECT_EQ(controller.window()->geometry(), QRect(1440, 0, 1280, 800));
  EXPECT_EQ(view()->windows(), std::vector<QRectF>{QRectF(200, 200, 400, 300)}) << "moved into this screen's view";
  EXPECT_EQ(view()->lastRect(), std::nullopt);
  EXPECT_EQ(controller.previousWindow(), 0x400001u);
}

TEST_F(CaptureControllerTest, PointerOffEveryScreenTakesThePrimaryAndFailuresSayWhy) {
  sys->at = {-5000, -5000};
  sys->primaryIndex = 1;
  controller.start();
  EXPECT_EQ(sys->snapshots, std::vector<QString>{"right"});
  sys->deliver(false);
  EXPECT_EQ(errors, std::vector<CaptureError>{CaptureError::permission});
  EXPECT_FALSE(controller.isActive());
  EXPECT_EQ(sys->restores, 1);

  sys->all.clear();
  controller.start();
  EXPECT_EQ(errors.back(), CaptureError::noDisplay);
  EXPECT_EQ(reasonOf(CaptureError::noDisplay), QStringLiteral("noDisplay"));
}

TEST_F(CaptureControllerTest, PickCropsDevicePixelsAndReportsGlobalSpace) {
  openOn({100, 100});  // "left": 1440 x 900 at ratio 2
  view()->onFinish(QRectF(10, 830, 100, 50));
  ASSERT_EQ(picked.size(), 1u);
  EXPECT_FALSE(controller.isOpen());
  EXPECT_EQ(picked[0].second, QRectF(10, 830, 100, 50));
  ASSERT_EQ(picked[0].first.size(), QSize(200, 100));
  EXPECT_EQ(picked[0].first.pixel(0, 0), qRgb(20, 1660 % 256, (20 + 1660) % 7));
  EXPECT_EQ(sys->activated, std::vector<uint32_t>{0x400001});
  EXPECT_EQ(sys->restores, 1);
  EXPECT_EQ(controller.last()->screen, QStringLiteral("left"));

  openOn({1500, 100});  // "right" sits at x 1440 in global space
  view()->onFinish(QRectF(5, 6, 70, 80));
  EXPECT_EQ(picked[1].second, QRectF(1445, 6, 70, 80));
  EXPECT_EQ(picked[1].first.size(), QSize(70, 80));
}

TEST_F(CaptureControllerTest, EmptyPickIsACancelAndNeverTheNextSameSpot) {
  openOn({100, 100});
  view()->onFinish(QRectF(10, 10, 100, 50));
  openOn({100, 100});
  view()->onFinish(QRectF(300, 300, 0, 120));
  EXPECT_EQ(picked.size(), 1u);
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(controller.isOpen());
  EXPECT_EQ(controller.last()->rect, QRectF(10, 10, 100, 50));
}

TEST_F(CaptureControllerTest, EscapeCancelsOnceAndGivesTheFocusBack) {
  controller.start(0x500002);  // the window the menu was opened over
  sys->deliver();
  press(9);
  EXPECT_EQ(cancels, 1);
  EXPECT_FALSE(controller.isOpen());
  EXPECT_EQ(sys->activated, std::vector<uint32_t>{0x500002});
  EXPECT_FALSE(controller.last().has_value());
  controller.start();
  EXPECT_EQ(sys->snapshots.size(), 2u) << "a fresh start works again";
}

TEST_F(CaptureControllerTest, RepeatLastFinishesAtOnceOnTheSameScreenOnly) {
  controller.repeatLast();  // nothing picked yet: a plain start
  EXPECT_FALSE(controller.pendingLast());
  sys->deliver();
  view()->onFinish(QRectF(20, 30, 40, 50));
  ASSERT_EQ(picked.size(), 1u);

  controller.repeatLast();
  controller.repeatLast();  // while the snapshot is in flight: still pending
  EXPECT_TRUE(controller.pendingLast());
  EXPECT_EQ(sys->snapshots.size(), 2u);
  sys->deliver();
  ASSERT_EQ(picked.size(), 2u);
  EXPECT_FALSE(controller.isOpen());
  EXPECT_EQ(picked[1].second, QRectF(20, 30, 40, 50));
  EXPECT_EQ(picked[1].first, picked[0].first);

  // A failed same-spot request does not finish a later capture.
  controller.repeatLast();
  sys->deliver(false);
  EXPECT_FALSE(controller.pendingLast());
  openOn({100, 100});
  EXPECT_TRUE(controller.isOpen());
  EXPECT_EQ(picked.size(), 2u);
  press(9);

  sys->at = {1500, 100};  // another screen now
  controller.repeatLast();
  sys->deliver();
  EXPECT_TRUE(controller.isOpen());
  EXPECT_FALSE(controller.pendingLast());
  EXPECT_EQ(picked.size(), 2u);
}

TEST_F(CaptureControllerTest, HotKeyOnAnOpenOverlayFinishesAtTheLastPickOfThatScreen) {
  controller.hotKeyMatcher = [](const QKeyEvent& e) {
    return e.nativeScanCode() == 11 && (e.modifiers() & Qt::ControlModifier);
  };
  openOn({100, 100});
  press(11, Qt::ControlModifier | Qt::ShiftModifier);  // no last pick: nothing
  controller.start();                                   // the same through the hot key's own path
  EXPECT_TRUE(controller.isOpen());
  EXPECT_EQ(sys->snapshots.size(), 1u);
  view()->onFinish(QRectF(20, 30, 40, 50));

  openOn({100, 100});
  EXPECT_EQ(view()->lastRect(), QRectF(20, 30, 40, 50));
  press(11, Qt::ControlModifier | Qt::ShiftModifier, true);  // a repeat does nothing
  EXPECT_TRUE(controller.isOpen());
  press(11, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_FALSE(controller.isOpen());
  ASSERT_EQ(picked.size(), 2u);
  EXPECT_EQ(picked[1].second, QRectF(20, 30, 40, 50));
}
