// The toast's marks and buttons: the stamp's spring and its replay, reduced
// motion, and the flat buttons.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>

#include "core/Fonts.h"
#include "tests/toast/Samples.h"
#include "toast/MarchingFrame.h"
#include "toast/StampCheck.h"
#include "toast/ToastButton.h"
#include "toast/ToastModel.h"
#include "toast/ToastView.h"
#include "ui/kit/Render.h"

TEST(StampCheck, LandsWithASpringFromLargeAndClearAndReplaysOnlyForANewStamp) {
  samples::SettingsScope scope;
  Appearance::setReduceMotionForced(false);
  double now = 10;
  ToastModel model;
  ToastView view(model, {});
  view.setClock([&] { return now; });
  StampCheck& stamp = *view.stamp();
  model.setResult(samples::withTable(samples::table(3, 2)));
  model.newStamp();
  EXPECT_TRUE(stamp.animating());
  EXPECT_EQ(stamp.scale(), 1.6);
  EXPECT_EQ(stamp.opacity(), 0);
  now += 0.15;
  EXPECT_LT(stamp.scale(), 1.0) << "overshoots below its size";
  EXPECT_EQ(stamp.opacity(), 1);
  now += 2;
  EXPECT_EQ(stamp.progress(), 1);
  model.setAsTable(true);
  EXPECT_EQ(stamp.progress(), 1) << "a table toggle does not replay it";
  model.newStamp();
  EXPECT_EQ(stamp.progress(), 0);
}

TEST(StampCheck, ReducedMotionShowsTheEndStateAtOnce) {
  samples::SettingsScope scope;
  Appearance::setReduceMotionForced(true);
  StampCheck stamp;  // drawn in its end state: ToastRender
  stamp.land();
  EXPECT_FALSE(stamp.animating());
  EXPECT_EQ(stamp.scale(), 1);
  EXPECT_EQ(stamp.opacity(), 1);

  MarchingFrame frame;
  frame.setClock([] { return 1.0; });
  frame.show();
  EXPECT_FALSE(frame.animating());
  EXPECT_EQ(frame.dashPhase(), 0);
}

// Strong and plain buttons at rest: ToastRender.
TEST(ToastButton, APlainOneIsFilledWhenHoveredAndTitlesAreNeverCut) {
  ToastButton plain;
  plain.setTitle("Edit");
  auto fillAt = [](ToastButton& b) { return qAlpha(kit::renderWidget(&b).pixel(2, 12)); };
  EXPECT_EQ(fillAt(plain), 0);
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(&plain, &enter);
  EXPECT_GT(fillAt(plain), 0);
  EXPECT_EQ(plain.focusPolicy(), Qt::NoFocus) << "a click must not take the keyboard";

  plain.setTitle("A considerably longer title than usual");
  EXPECT_GT(plain.sizeHint().width(), Fonts::textWidth(plain.title(), 12, QFont::Normal)) << "never cut";
}
