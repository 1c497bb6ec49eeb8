// The selection marker: its timing on a test clock, what it draws at three
// moments, and one live marker at a time.
#include "capture/SelectionMarker.h"

#include <gtest/gtest.h>

#include <QPointer>

#include "capture/MarkerTimeline.h"
#include "capture/MarkerWindow.h"
#include "core/Ink.h"
#include "platform/Appearance.h"
#include "tests/support/Printers.h"
#include "ui/kit/Render.h"

using marker::Timeline;

namespace {

bool isSeal(const QColor& c) { return c.alpha() > 200 && std::abs(c.red() - 196) < 25 && c.green() < 110; }

}  // namespace

TEST(MarkerTimeline, BandSweepsWhileScanningAndConfirmTightensBracketsIntoTheRing) {
  Timeline t({20, 20, 30, 30}, 0);  // clip 26 high
  EXPECT_EQ(t.frameAt(0.5).brackets, QRectF(14, 14, 42, 42));
  EXPECT_LT(t.frameAt(0).bandCentre, t.frameAt(0.45).bandCentre);
  EXPECT_NEAR(t.frameAt(90.9).bandCentre, t.frameAt(0.9).bandCentre, 1e-3) << "for as long as it scans";
  t.finish(true, 1);
  t.finish(false, 1.1);  // the first word holds
  EXPECT_FALSE(t.frameAt(1).band);
  EXPECT_DOUBLE_EQ(t.frameAt(1).badgeOpacity, 0);
  EXPECT_LT(t.frameAt(1.16).badgeScale, 1) << "the badge pops past its size";
  const auto end = t.frameAt(1.22);
  EXPECT_EQ(end.brackets, QRectF(18, 18, 34, 34)) << "on the ring";
  EXPECT_DOUBLE_EQ(end.bracketOpacity, 0);
  EXPECT_DOUBLE_EQ(end.ringOpacity, 1);
  EXPECT_FALSE(t.moving(1.4));
}

TEST(MarkerTimeline, FailureFadesTheBracketsThenThePanel) {
  Timeline t({20, 20, 400, 300}, 0);
  t.finish(false, 2);
  t.fadeFrom(2 + marker::kFailLinger);
  EXPECT_EQ(t.frameAt(2).bracketColor, Ink::seal());
  EXPECT_EQ(t.frameAt(2.25).bracketColor, Ink::faint());
  EXPECT_FALSE(t.frameAt(2.3).badge);
  EXPECT_NEAR(t.frameAt(2.425).opacity, 0.5, 1e-3);
  EXPECT_TRUE(t.frameAt(2.6).done);
}

TEST(MarkerTimeline, ReducedMotionShowsEndStates) {
  Timeline t({20, 20, 200, 104}, 0);
  t.setStill(true);
  EXPECT_FALSE(t.moving(0.3));
  EXPECT_DOUBLE_EQ(t.frameAt(0.3).bandCentre, t.frameAt(0.7).bandCentre);
  t.finish(true, 1);
  EXPECT_DOUBLE_EQ(t.frameAt(1).ringOpacity, 1);
  EXPECT_DOUBLE_EQ(t.frameAt(1).badgeScale, 1);
}

TEST(MarkerWindow, DrawsBandBracketsAndBadgeAtTheirMomentsAndLetsThePickShowThrough) {
  double now = 0;
  MarkerWindow w(QRectF(100, 100, 200, 104), [&] { return now; }, true, false);
  EXPECT_EQ(w.geometry(), QRect(80, 80, 240, 144));
  EXPECT_TRUE(w.windowFlags() & Qt::WindowTransparentForInput);
  now = 0.45;  // band half way down the clip (22..122 in the panel)
  QImage img = kit::renderWidget(&w);
  EXPECT_GT(img.pixelColor(120, 72).alpha(), 100) << "the band, at 55 %";
  EXPECT_EQ(img.pixelColor(120, 90).alpha(), 0) << "the picked area stays clear";
  EXPECT_TRUE(isSeal(img.pixelColor(14, 20))) << "a bracket 6 outside the corner";
  EXPECT_EQ(img.pixelColor(14, 70).alpha(), 0) << "between the arms";

  w.timeline().finish(true, 1);
  now = 1.16;  // badge at its smallest, ring nearly drawn
  img = kit::renderWidget(&w);
  EXPECT_EQ(img.pixelColor(120, 72).alpha(), 0) << "band gone";
  EXPECT_TRUE(isSeal(img.pixelColor(229, 25))) << "the badge on the ring's corner";
  EXPECT_FALSE(isSeal(img.pixelColor(236, 25))) << "at its smallest (0.92 of 24)";
  now = 1.5;
  img = kit::renderWidget(&w);
  EXPECT_TRUE(isSeal(img.pixelColor(18, 70))) << "the ring's left edge";
  EXPECT_EQ(img.pixelColor(14, 20).alpha(), 0) << "brackets faded out";
  EXPECT_EQ(img.pixelColor(120, 90).alpha(), 0);

  // Without a compositor only the drawn parts are shown: never a black box.
  now = 0;
  MarkerWindow shaped(QRectF(100, 100, 200, 104), [&] { return now; }, false, false);
  now = 0.45;
  EXPECT_TRUE(shaped.shapeRegion().contains(QPoint(120, 72)));  // band
  EXPECT_TRUE(shaped.shapeRegion().contains(QPoint(14, 20)));   // bracket
  EXPECT_FALSE(shaped.shapeRegion().contains(QPoint(120, 90)));
  EXPECT_FALSE(shaped.shapeRegion().contains(QPoint(60, 40)));
  now = 0.9;
  EXPECT_FALSE(shaped.shapeRegion().contains(QPoint(120, 72))) << "the band moved on";
  EXPECT_TRUE(shaped.shapeRegion().contains(QPoint(120, 22 + 98)));
}

TEST(SelectionMarker, OneLiveMarkerAndFadingOnesFinishOnTheirOwn) {
  Appearance::setReduceMotionForced(false);
  double now = 0;
  SelectionMarker m;
  m.setClock([&] { return now; });
  m.finish(true);  // nothing live: nothing happens
  EXPECT_EQ(m.live(), nullptr);

  m.show({100, 100, 50, 50});
  QPointer<MarkerWindow> first = m.live();
  ASSERT_TRUE(first && first->isVisible());
  m.show({300, 100, 50, 50});
  EXPECT_FALSE(first && first->isVisible()) << "replaced at once";
  QPointer<MarkerWindow> second = m.live();

  now = 1;
  m.finish(true);
  EXPECT_EQ(m.live(), nullptr);
  now = 1.5;
  m.show({500, 100, 50, 50});  // within the 0.9 s: the old one keeps its schedule
  second->tick();
  EXPECT_TRUE(second->isVisible());
  EXPECT_EQ(second->timeline().fadeStart(), 1 + marker::kOkLinger);
  EXPECT_TRUE(m.live() && m.live()->isVisible());
  now = 1 + marker::kOkLinger + marker::kFade;  // offscreen has no compositor: gone at the fade's start already
  second->tick();
  EXPECT_FALSE(second && second->isVisible());
  m.dismiss(false, 0);
  Appearance::setReduceMotionForced(std::nullopt);
}

TEST(SelectionMarker, PanelsStillOnTheirWayOutGoWithTheMarker) {
  QPointer<MarkerWindow> fading, replaced, live;
  {
    SelectionMarker m;
    m.show({100, 100, 50, 50});
    fading = m.live();
    m.finish(true);  // fades on its own, later
    m.show({300, 100, 50, 50});
    replaced = m.live();
    m.show({500, 100, 50, 50});  // the replaced one is deleted later
    live = m.live();
  }
  // No event ran in between, as after the quit: nothing is left behind.
  EXPECT_TRUE(fading.isNull() && replaced.isNull() && live.isNull());
}
