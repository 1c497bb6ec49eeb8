#include "core/AppMarkView.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "tests/support/Canvas.h"

namespace {

using State = AppMark::State;

struct ReduceMotion {
  explicit ReduceMotion(bool on) { Appearance::setReduceMotionForced(on); }
  ~ReduceMotion() { Appearance::setReduceMotionForced(std::nullopt); }
};

QImage renderView(QWidget& view) {
  return testenv::painted(view.size(), [&](QPainter& p) { view.render(&p); });
}

QImage reference(int size, State state, qreal phase) {
  return testenv::painted(QSizeF(size, size), [&](QPainter& p) { AppMark::draw(p, QRectF(0, 0, size, size), state, phase, true); });
}

TEST(AppMarkView, AnimatesOnlyWhileWorkingShownAndMotionAllowed) {
  ReduceMotion off(false);
  AppMarkView view(State::working, 56);
  EXPECT_FALSE(view.animating());  // nobody can see it yet
  view.show();
  EXPECT_TRUE(view.animating());
  Appearance::setReduceMotionForced(true);  // the desktop changes its mind
  EXPECT_FALSE(view.animating());
  Appearance::setReduceMotionForced(false);
  view.setState(State::empty);
  EXPECT_FALSE(view.animating());
  view.setState(State::working);
  view.hide();
  EXPECT_FALSE(view.animating());
}

TEST(AppMarkView, RestingMarksIgnoreTheClock) {
  for (auto [state, reduce] : {std::pair{State::working, true}, {State::picked, false}, {State::empty, false}}) {
    ReduceMotion motion(reduce);
    AppMarkView view(state, 100);
    view.setClock([] { return 0.3; });  // would be the top of the swing
    view.resize(view.sizeHint());
    view.show();
    EXPECT_FALSE(view.animating());
    EXPECT_EQ(renderView(view), reference(100, state, 0)) << int(state);
  }
}

TEST(AppMarkView, PhaseFollowsTheClock) {
  ReduceMotion off(false);
  double now = 0.3;
  AppMarkView view(State::working, 100);
  view.resize(view.sizeHint());
  view.setClock([&now] { return now; });
  // A full cycle takes 1.2 s: top a quarter in, bottom three quarters in.
  EXPECT_EQ(renderView(view), reference(100, State::working, 1));
  now = 0.9;
  EXPECT_EQ(renderView(view), reference(100, State::working, 0));
  now = 1.2 + 0.1;
  EXPECT_NEAR(view.phase(), (std::sin(2 * M_PI * 0.1 / 1.2) + 1) / 2, 1e-9);
}

TEST(AppMarkView, MarkIsCentredInALargerWidget) {
  AppMarkView view(State::picked, 40);
  view.resize(100, 60);
  const QImage img = renderView(view);
  EXPECT_EQ(qAlpha(img.pixel(25, 30)), 0);  // left of the 40-px square at x 30
  EXPECT_GT(qAlpha(img.pixel(35, 30)), 0);
  EXPECT_EQ(qAlpha(img.pixel(50, 55)), 0);  // below it (y 10...50)
}

TEST(AppMarkView, AccessibleNameFollowsStateAndLanguage) {
  Settings::shared().setLanguage(Lang("en"));
  AppMarkView view(State::picked, 28);
  EXPECT_EQ(view.accessibleName(), L::table(Lang("en")).appName);
  view.setState(State::working);
  EXPECT_EQ(view.accessibleName(), L::table(Lang("en")).working);
  Settings::shared().setLanguage(Lang("ko"));
  EXPECT_EQ(view.accessibleName(), L::table(Lang("ko")).working);
  Settings::shared().setLanguage(Lang());
}

}  // namespace
