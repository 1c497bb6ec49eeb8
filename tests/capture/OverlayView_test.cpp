// The picking view offscreen: drags, window mode, keys by physical position,
// chips, what it paints and how little a pointer move repaints.
#include "capture/OverlayView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "capture/HintBar.h"
#include "capture/Still.h"
#include "core/Strings.h"
#include "core/Shortcut.h"
#include "core/Settings.h"
#include "tests/support/Printers.h"
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

struct OverlayViewTest : ::testing::Test {
  OverlayView view;
  std::vector<QRectF> finished;
  int warmUps = 0;

  void SetUp() override {
    Settings::shared().setFastMode(false);
    view.resize(400, 300);
    view.onFinish = [this](const QRectF& r) { finished.push_back(r); };
    view.onFastMode = [this] { ++warmUps; };
  }
  void mouse(QEvent::Type type, QPointF p, Qt::MouseButtons buttons = Qt::LeftButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent ev(type, p, view.mapToGlobal(p), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &ev);
  }
  void hover(QPointF p) { mouse(QEvent::MouseMove, p, Qt::NoButton); }
  void drag(QPointF from, QPointF to, bool release = true) {
    mouse(QEvent::MouseButtonPress, from);
    mouse(QEvent::MouseMove, (from + to) / 2);
    mouse(QEvent::MouseMove, to);
    if (release) mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  void key(quint32 scan, Qt::KeyboardModifiers mods = Qt::NoModifier, bool repeat = false) {
    QKeyEvent ev(QEvent::KeyPress, 0, mods, scan, 0, 0, QString(), repeat);
    QApplication::sendEvent(&view, &ev);
  }
  bool fast() const { return Settings::shared().fastMode(); }
  // A repaint of only `changed` over the picture before the change must give the picture after it.
  void expectRegionRepaint(QImage before, const QRegion& changed) {
    view.render(&before, changed.boundingRect().topLeft(), changed);
    EXPECT_TRUE(before == kit::renderWidget(&view));
  }
};

}  // namespace

TEST_F(OverlayViewTest, ReleaseFinishesWithTheIntegralSelectionFromSixBySix) {
  drag({10.5, 20.2}, {110.2, 70.7});
  ASSERT_EQ(finished, std::vector<QRectF>{QRectF(10, 20, 101, 51)});
  EXPECT_TRUE(view.selection().has_value()) << "stays until the overlay closes";

  finished.clear();
  view.setStill({});
  drag({200, 200}, {205, 240});  // 5 x 40
  mouse(QEvent::MouseButtonPress, {100, 100});  // a click without a drag
  mouse(QEvent::MouseButtonRelease, {100, 100}, Qt::NoButton);
  key(kReturn);
  EXPECT_TRUE(finished.empty());
  EXPECT_FALSE(view.selection().has_value());
  drag({200, 200}, {194, 194});  // dragged up and left, 6 x 6
  EXPECT_EQ(finished, std::vector<QRectF>{QRectF(194, 194, 6, 6)});
}

TEST_F(OverlayViewTest, DragLeavingTheScreenIsClippedAndReturnFinishesMidDragAtAnySize) {
  drag({350, 250}, {500, -40}, false);
  EXPECT_EQ(view.selection(), QRectF(350, 0, 50, 250));
  mouse(QEvent::MouseMove, {352, 249});
  key(kReturn);  // button still down, 2 x 1
  EXPECT_EQ(finished, std::vector<QRectF>{QRectF(350, 249, 2, 1)});
  key(kEnter);
  EXPECT_EQ(finished.size(), 2u);
  // A drag straight down has no width: Return hands on an empty pick, which
  // the controller turns into a cancel.
  drag({100, 100}, {100, 200}, false);
  key(kReturn);
  ASSERT_EQ(finished.size(), 3u);
  EXPECT_EQ(finished[2].width(), 0);
}

TEST_F(OverlayViewTest, WindowModeHoversAndPicksTheFrontMostWindowAsStored) {
  view.setWindows({{100.5, 100, 100, 100}, {50, 50, 300, 200}});
  drag({10, 10}, {100, 100}, false);
  key(kSpace);  // drops the drag
  ASSERT_TRUE(view.windowMode());
  EXPECT_FALSE(view.selection().has_value());
  hover({150, 150});
  EXPECT_EQ(view.hovered(), QRectF(100.5, 100, 100, 100));
  hover({60, 60});
  EXPECT_EQ(view.hovered(), QRectF(50, 50, 300, 200));
  hover({5, 5});
  EXPECT_EQ(view.hovered(), std::nullopt);
  mouse(QEvent::MouseButtonPress, {5, 5});  // outside every window
  key(kReturn);                             // no selection in window mode
  EXPECT_TRUE(finished.empty());
  mouse(QEvent::MouseButtonPress, {150, 150});
  EXPECT_EQ(finished, std::vector<QRectF>{QRectF(100.5, 100, 100, 100)}) << "not made integral";
  key(kSpace);
  EXPECT_FALSE(view.windowMode());
}

TEST_F(OverlayViewTest, KeysSwitchTheModeWarmUpOncePerSwitchAndTheHotKeyComesFirst) {
  key(kA);  // not in the table: swallowed
  EXPECT_FALSE(fast());
  key(kOne);
  key(kOne);  // already fast
  EXPECT_TRUE(fast());
  EXPECT_EQ(warmUps, 1);
  key(kTwo);
  EXPECT_FALSE(fast());
  key(kOne, Qt::ControlModifier);  // a modifier blocks 1 and 2
  EXPECT_FALSE(fast());
  key(kOne, Qt::KeypadModifier);  // the keypad flag does not
  EXPECT_TRUE(fast());
  key(kTab, Qt::ShiftModifier);  // Tab ignores modifiers
  EXPECT_FALSE(fast());
  EXPECT_EQ(warmUps, 2);

  // The hot key is matched before the table; its repeats are ignored.
  int hot = 0;
  view.isHotKey = [](const QKeyEvent& e) { return e.nativeScanCode() == kOne && (e.modifiers() & Qt::ControlModifier); };
  view.onHotKey = [&] { ++hot; };
  key(kOne, Qt::ControlModifier | Qt::ShiftModifier);
  key(kOne, Qt::ControlModifier | Qt::ShiftModifier, true);
  EXPECT_EQ(hot, 1);
  EXPECT_FALSE(fast());
}

TEST_F(OverlayViewTest, ChipsSwitchTheModeWhereTheyWereDrawnAndTheBarSitsAtTheBottom) {
  const QImage shot = kit::renderWidget(&view);  // chips are placed by painting
  const QRectF fastChip = view.fastChip(), accurate = view.accurateChip();
  ASSERT_FALSE(fastChip.isEmpty());
  const QColor plate = shot.pixelColor(200, 300 - 32 - 3);  // the ink plate, centred 32 above the bottom
  EXPECT_LT(plate.red(), 60);
  EXPECT_EQ(plate.alpha(), 255);
  mouse(QEvent::MouseButtonPress, QPointF(fastChip.left() - 1.5, fastChip.top() - 3.5));  // within the margin
  EXPECT_TRUE(fast());
  mouse(QEvent::MouseButtonPress, accurate.center());
  EXPECT_FALSE(fast());
  EXPECT_TRUE(finished.empty());
  EXPECT_FALSE(view.selection().has_value());
}

TEST_F(OverlayViewTest, StillIsDimmedOutsideTheTargetOnly) {
  const QImage still = pattern(400, 300);
  view.setStill(still);
  drag({100, 50}, {200, 120}, false);
  const QImage shot = kit::renderWidget(&view).convertToFormat(QImage::Format_RGB32);
  const QImage dimmed = capture::dimmedCopy(still);
  EXPECT_EQ(shot.pixel(150, 60), still.pixel(150, 60));
  EXPECT_EQ(shot.pixel(100, 119), still.pixel(100, 119));
  EXPECT_EQ(shot.pixel(50, 200), dimmed.pixel(50, 200));
  EXPECT_NE(dimmed.pixel(50, 200), still.pixel(50, 200));
  const QColor bracket = shot.pixelColor(94, 60);  // seal red, 6 outside the corner
  EXPECT_GT(bracket.red(), 150);
  EXPECT_LT(bracket.green(), 110);
}

TEST_F(OverlayViewTest, AtRatioTwoEveryImagePixelShowsOnce) {
  const QImage still = pattern(800, 600);  // a 400 x 300 view at ratio 2
  view.setStill(still);
  drag({0, 0}, {150, 100}, false);
  const QImage shot = kit::renderWidget(&view, 2).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shot.size(), QSize(800, 600));
  for (int y = 20; y < 120; ++y)
    for (int x = 20; x < 220; ++x) ASSERT_EQ(shot.pixel(x, y), still.pixel(x, y)) << x << "," << y;
}

TEST_F(OverlayViewTest, RepaintingOnlyTheChangedRegionGivesTheFullPicture) {
  view.setStill(pattern(400, 300));
  view.setWindows({{40, 40, 200, 150}, {150, 100, 200, 150}});
  drag({100, 80}, {220, 160}, false);
  QImage before = kit::renderWidget(&view);
  const auto selection = view.selection();
  mouse(QEvent::MouseMove, {260, 185});
  expectRegionRepaint(before, view.targetChange(selection, view.selection()));

  key(kSpace);  // window mode: from one window to another
  hover({60, 60});
  before = kit::renderWidget(&view);
  const auto hovered = view.hovered();
  hover({300, 200});
  ASSERT_NE(view.hovered(), hovered);
  expectRegionRepaint(before, view.targetChange(hovered, view.hovered()));

  // On a 4K screen a pointer step repaints a thin slice.
  view.resize(3840, 2160);
  const QRegion changed = view.targetChange(QRectF(400, 300, 2000, 1200), QRectF(400, 300, 2003, 1202));
  qint64 area = 0;
  for (const QRect& r : changed) area += qint64(r.width()) * r.height();
  EXPECT_LT(area, 3840 * 2160 / 50);
  EXPECT_TRUE(changed.contains(QRect(2401, 700, 2, 2))) << "the newly uncovered strip";
  EXPECT_TRUE(changed.contains(QPoint(394, 294))) << "a bracket corner";
}

TEST_F(OverlayViewTest, SizeLabelTruncatesAndMovesInsideNearTheBottom) {
  EXPECT_EQ(OverlayView::sizeText({320, 180.7}), QStringLiteral("320 \u00D7 180"));
  EXPECT_EQ(OverlayView::sizeText({0.6, 12}), QStringLiteral("0 \u00D7 12"));
  // 12 below the target normally; 8 inside its bottom edge when the label
  // would come within 8 of the screen's bottom.
  EXPECT_EQ(OverlayView::sizeChipRect({10, 10, 100, 100}, {50, 14}, 800), QRectF(10, 122, 66, 20));
  EXPECT_EQ(OverlayView::sizeChipRect({10, 700, 100, 80}, {50, 14}, 800), QRectF(10, 752, 66, 20));
}

TEST(HintSegments, TheSameSpotHintNamesTheShortcutReadably) {
  const Strings en = L::table(Lang("en"));
  const QStringList caps = Shortcut::defaultShortcut().caps();
  const auto region = capture::hintSegments(en, false, true, caps);
  ASSERT_EQ(region.size(), 4u);
  EXPECT_TRUE(region[2].text.contains("Ctrl+Shift+2")) << qPrintable(region[2].text);
  EXPECT_EQ(capture::hintSegments(en, false, false, caps).size(), 3u);
  EXPECT_EQ(capture::hintSegments(en, true, true, caps).size(), 3u);
}

// Every language tells how a whole window is taken (Space, then a click) in
// the region mode's bar, which still fits a small screen with the same-spot
// hint in it.
TEST(HintSegments, EveryLanguageSaysSpaceThenClickAndTheBarFitsASmallScreen) {
  Settings& s = Settings::shared();
  const Lang before = s.language();
  for (const QString& code : Catalog::codes()) {
    SCOPED_TRACE(code.toStdString());
    const Strings t = L::table(Lang(code));
    EXPECT_TRUE(t.spaceWindow.startsWith("Space")) << qPrintable(t.spaceWindow);
    s.setLanguage(Lang(code));
    const capture::HintBar bar({false, true, false}, QSizeF(1024, 768));
    EXPECT_LE(bar.rect().width(), 1024 - 2 * 16) << "wide " << bar.rect().width();
  }
  s.setLanguage(before);
}
