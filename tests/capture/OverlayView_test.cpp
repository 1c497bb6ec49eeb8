// The picking view offscreen: drags, window mode, keys by physical position,
// chips, what it paints and how little a pointer move repaints.
#include "capture/OverlayView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "capture/Still.h"
#include "core/Settings.h"
#include "tests/capture/CapturePrint.h"
#include "ui/kit/Render.h"

namespace {

// X keycodes of the keys the view knows.
constexpr quint32 kReturn = 36, kEnter = 104, kSpace = 65, kTab = 23, kOne = 10, kTwo = 11, kA = 38;

// Every pixel a colour of its own, so any misplaced copy shows.
QImage pattern(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256 + y / 256 * 8) * 16 % 256));
  return img;
}

void mouse(QWidget& w, QEvent::Type type, QPointF p, Qt::MouseButtons buttons = Qt::LeftButton) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent ev(type, p, w.mapToGlobal(p), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(&w, &ev);
}

void drag(QWidget& w, QPointF from, QPointF to, bool release = true) {
  mouse(w, QEvent::MouseButtonPress, from);
  mouse(w, QEvent::MouseMove, (from + to) / 2);
  mouse(w, QEvent::MouseMove, to);
  if (release) mouse(w, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void key(QWidget& w, quint32 scan, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false) {
  QKeyEvent ev(QEvent::KeyPress, 0, mods, scan, 0, 0, QString(), repeat);
  QApplication::sendEvent(&w, &ev);
}

struct Fixture : ::testing::Test {
  OverlayView view;
  std::vector<QRectF> finished;
  int warmUps = 0;

  void SetUp() override {
    Settings::shared().setFastMode(false);
    view.resize(400, 300);
    view.onFinish = [this](const QRectF& r) { finished.push_back(r); };
    view.onFastMode = [this] { ++warmUps; };
  }
};

using OverlayViewDrag = Fixture;
using OverlayViewKeys = Fixture;
using OverlayViewPaint = Fixture;

}  // namespace

TEST_F(OverlayViewDrag, ReleaseFinishesWithTheIntegralSelectionFromSixBySix) {
  drag(view, {10.5, 20.2}, {110.2, 70.7});
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0], QRectF(10, 20, 101, 51));
  EXPECT_TRUE(view.selection().has_value());  // stays until the overlay closes

  finished.clear();
  view.setStill({});
  drag(view, {200, 200}, {205, 240});  // 5 x 40
  EXPECT_TRUE(finished.empty());
  EXPECT_FALSE(view.selection().has_value());
  drag(view, {200, 200}, {194, 194});  // dragged up and left, 6 x 6
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0], QRectF(194, 194, 6, 6));
}

TEST_F(OverlayViewDrag, DragLeavingTheScreenIsClippedAndReturnFinishesMidDragAtAnySize) {
  drag(view, {350, 250}, {500, -40}, false);
  EXPECT_EQ(view.selection(), QRectF(350, 0, 50, 250));
  mouse(view, QEvent::MouseMove, {352, 249});
  key(view, kReturn);  // button still down, 2 x 1
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0], QRectF(350, 249, 2, 1));
  key(view, kEnter);
  EXPECT_EQ(finished.size(), 2u);
}

TEST_F(OverlayViewDrag, ClickWithoutDragAndReturnWithoutSelectionDoNothing) {
  mouse(view, QEvent::MouseButtonPress, {100, 100});
  mouse(view, QEvent::MouseButtonRelease, {100, 100}, Qt::NoButton);
  key(view, kReturn);
  EXPECT_TRUE(finished.empty());
  // A drag straight down has no width: Return hands on an empty pick, which
  // the controller turns into a cancel.
  drag(view, {100, 100}, {100, 200}, false);
  key(view, kReturn);
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0].width(), 0);
}

TEST_F(OverlayViewDrag, WindowModeHoversAndPicksTheFrontMostWindowAsStored) {
  view.setWindows({{100.5, 100, 100, 100}, {50, 50, 300, 200}});
  drag(view, {10, 10}, {100, 100}, false);
  key(view, kSpace);  // drops the drag
  ASSERT_TRUE(view.windowMode());
  EXPECT_FALSE(view.selection().has_value());
  mouse(view, QEvent::MouseMove, {150, 150}, Qt::NoButton);
  EXPECT_EQ(view.hovered(), QRectF(100.5, 100, 100, 100));
  mouse(view, QEvent::MouseMove, {60, 60}, Qt::NoButton);
  EXPECT_EQ(view.hovered(), QRectF(50, 50, 300, 200));
  mouse(view, QEvent::MouseMove, {5, 5}, Qt::NoButton);
  EXPECT_EQ(view.hovered(), std::nullopt);
  mouse(view, QEvent::MouseButtonPress, {5, 5});  // outside every window
  EXPECT_TRUE(finished.empty());
  mouse(view, QEvent::MouseButtonPress, {150, 150});
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0], QRectF(100.5, 100, 100, 100));  // not made integral
  key(view, kReturn);  // no selection in window mode
  EXPECT_EQ(finished.size(), 1u);
}

TEST_F(OverlayViewKeys, TabOneAndTwoSwitchTheModeAndWarmUpOncePerSwitch) {
  key(view, kA);  // not in the table: swallowed
  key(view, 0);
  EXPECT_FALSE(Settings::shared().fastMode());
  key(view, kOne);
  EXPECT_TRUE(Settings::shared().fastMode());
  EXPECT_EQ(warmUps, 1);
  key(view, kOne);  // already fast
  EXPECT_EQ(warmUps, 1);
  key(view, kTwo);
  EXPECT_FALSE(Settings::shared().fastMode());
  key(view, kOne, Qt::ControlModifier);  // a modifier blocks 1 and 2
  key(view, kOne, Qt::ShiftModifier);
  EXPECT_FALSE(Settings::shared().fastMode());
  key(view, kOne, Qt::KeypadModifier);  // the keypad flag does not
  EXPECT_TRUE(Settings::shared().fastMode());
  key(view, kTab, Qt::ShiftModifier);  // Tab ignores modifiers
  EXPECT_FALSE(Settings::shared().fastMode());
  key(view, kTab);
  EXPECT_TRUE(Settings::shared().fastMode());
  EXPECT_EQ(warmUps, 3);
}

TEST_F(OverlayViewKeys, HotKeyIsMatchedBeforeTheTableAndRepeatsAreIgnored) {
  int hot = 0;
  view.isHotKey = [](const QKeyEvent& e) {
    return e.nativeScanCode() == kTwo && (e.modifiers() & Qt::ControlModifier);
  };
  view.onHotKey = [&] { ++hot; };
  key(view, kTwo, Qt::ControlModifier | Qt::ShiftModifier);
  key(view, kTwo, Qt::ControlModifier | Qt::ShiftModifier, true);
  EXPECT_EQ(hot, 1);
  key(view, kTwo);
  EXPECT_EQ(hot, 1);
  EXPECT_FALSE(Settings::shared().fastMode());
}

TEST_F(OverlayViewKeys, ChipsSwitchTheModeWhereTheyWereDrawn) {
  kit::renderWidget(&view);  // chips are placed by painting
  const QRectF fast = view.fastChip(), accurate = view.accurateChip();
  ASSERT_FALSE(fast.isEmpty());
  mouse(view, QEvent::MouseButtonPress, QPointF(fast.left() - 1.5, fast.top() - 3.5));  // within the margin
  EXPECT_TRUE(Settings::shared().fastMode());
  mouse(view, QEvent::MouseButtonPress, accurate.center());
  EXPECT_FALSE(Settings::shared().fastMode());
  EXPECT_TRUE(finished.empty());
  EXPECT_FALSE(view.selection().has_value());
}

TEST_F(OverlayViewPaint, StillIsDimmedOutsideTheTargetOnly) {
  const QImage still = pattern(400, 300);
  view.setStill(still);
  drag(view, {100, 50}, {200, 120}, false);
  const QImage shot = kit::renderWidget(&view).convertToFormat(QImage::Format_RGB32);
  const QImage dimmed = capture::dimmedCopy(still);
  EXPECT_EQ(shot.pixel(150, 60), still.pixel(150, 60));
  EXPECT_EQ(shot.pixel(100, 119), still.pixel(100, 119));
  EXPECT_EQ(shot.pixel(50, 200), dimmed.pixel(50, 200));
  EXPECT_NE(dimmed.pixel(50, 200), still.pixel(50, 200));
  // Brackets in seal red 6 outside the corner; the size label below.
  const QColor bracket = shot.pixelColor(94, 60);
  EXPECT_GT(bracket.red(), 150);
  EXPECT_LT(bracket.green(), 110);
  const QRectF chip = OverlayView::sizeChipRect({100, 50, 100, 70}, {40, 14}, 300);
  EXPECT_EQ(chip.top(), 132);
}

TEST_F(OverlayViewPaint, AtRatioTwoEveryImagePixelShowsOnce) {
  const QImage still = pattern(800, 600);  // a 400 x 300 view at ratio 2
  view.setStill(still);
  drag(view, {0, 0}, {150, 100}, false);
  const QImage shot = kit::renderWidget(&view, 2).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), QSize(800, 600));
  ASSERT_EQ(view.selection(), QRectF(0, 0, 150, 100));
  for (int y = 20; y < 120; ++y)
    for (int x = 20; x < 220; ++x) ASSERT_EQ(shot.pixel(x, y), still.pixel(x, y)) << x << "," << y;
}

TEST_F(OverlayViewPaint, RepaintingOnlyTheChangedRegionGivesTheFullPicture) {
  view.setStill(pattern(400, 300));
  view.setWindows({{40, 40, 200, 150}, {150, 100, 200, 150}});
  drag(view, {100, 80}, {220, 160}, false);
  QImage partial = kit::renderWidget(&view);
  const auto before = view.selection();
  mouse(view, QEvent::MouseMove, {260, 185});
  const QRegion step = view.targetChange(before, view.selection());
  view.render(&partial, step.boundingRect().topLeft(), step);
  saveShot(partial, QStringLiteral("overlay-region-offscreen"));
  EXPECT_EQ(diffImages(partial, kit::renderWidget(&view)).count, 0) << ::testing::PrintToString(diffImages(partial, kit::renderWidget(&view)));

  // Window mode: from one window to another.
  key(view, kSpace);
  mouse(view, QEvent::MouseMove, {60, 60}, Qt::NoButton);
  partial = kit::renderWidget(&view);
  const auto hovered = view.hovered();
  mouse(view, QEvent::MouseMove, {300, 200}, Qt::NoButton);
  ASSERT_NE(view.hovered(), hovered);
  const QRegion jump = view.targetChange(hovered, view.hovered());
  view.render(&partial, jump.boundingRect().topLeft(), jump);
  saveShot(partial, QStringLiteral("overlay-window-offscreen"));
  EXPECT_EQ(diffImages(partial, kit::renderWidget(&view)).count, 0) << ::testing::PrintToString(diffImages(partial, kit::renderWidget(&view)));
}

TEST_F(OverlayViewPaint, APointerStepRepaintsAThinSliceOfA4KScreen) {
  view.resize(3840, 2160);
  const QRectF a(400, 300, 2000, 1200), b(400, 300, 2003, 1202);
  const QRegion changed = view.targetChange(a, b);
  qint64 area = 0;
  for (const QRect& r : changed) area += qint64(r.width()) * r.height();
  EXPECT_LT(area, 3840 * 2160 / 50);
  EXPECT_TRUE(changed.contains(QRect(2401, 700, 2, 2)));  // the newly uncovered strip
  EXPECT_TRUE(changed.contains(QPoint(394, 294)));         // a bracket corner
}

TEST_F(OverlayViewPaint, SizeLabelTruncatesAndMovesInsideNearTheBottom) {
  EXPECT_EQ(OverlayView::sizeText({320, 180.7}), QStringLiteral("320 \u00D7 180"));
  EXPECT_EQ(OverlayView::sizeText({0.6, 12}), QStringLiteral("0 \u00D7 12"));
  // 12 below the target normally; 8 inside its bottom edge when the label
  // would come within 8 of the screen's bottom.
  EXPECT_EQ(OverlayView::sizeChipRect({10, 10, 100, 100}, {50, 14}, 800), QRectF(10, 122, 66, 20));
  EXPECT_EQ(OverlayView::sizeChipRect({10, 700, 100, 80}, {50, 14}, 800), QRectF(10, 752, 66, 20));
}

TEST_F(OverlayViewPaint, BareViewPicturesTheHintBar) {
  view.resize(1000, 120);
  view.setLastRect(QRectF(1, 1, 10, 10));
  const QImage shot = kit::renderWidget(&view);
  ASSERT_FALSE(view.fastChip().isEmpty());
  // The bar: ink plate 32 above the bottom, centred.
  const QColor plate = shot.pixelColor(500, 120 - 32 - 3);
  EXPECT_LT(plate.red(), 60);
  EXPECT_EQ(plate.alpha(), 255);
  EXPECT_GT(view.accurateChip().right(), 500);
}
