#include "core/AppMarkView.h"

#include <gtest/gtest.h>

#include <QPainter>

#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"

namespace {

using State = AppMark::State;

struct ReduceMotion {
  explicit ReduceMotion(bool on) { Appearance::setReduceMotionForced(on); }
  ~ReduceMotion() { Appearance::setReduceMotionForced(std::nullopt); }
};

QImage renderView(AppMarkView& view) {
  view.resize(view.sizeHint());
  QImage img(view.size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  view.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  return img;
}

QImage reference(qreal size, State state, qreal phase) {
  const int side = int(std::ceil(size));
  QImage img(side, side, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  AppMark::draw(p, QRectF(0, 0, size, size), state, phase, true);
  return img;
}

}  // namespace

TEST(AppMarkView, SizeHintIsTheMarkSize) {
  AppMarkView view(State::picked, 56);
  EXPECT_EQ(view.sizeHint(), QSize(56, 56));
  view.setMarkSize(88);
  EXPECT_EQ(view.sizeHint(), QSize(88, 88));
}

TEST(AppMarkView, WorkingAnimatesOnlyWhileShownAndMotionAllowed) {
  ReduceMotion off(false);
  AppMarkView view(State::working, 56);
  EXPECT_FALSE(view.animating());  // nobody can see it yet
  view.show();
  EXPECT_TRUE(view.animating());
  view.hide();
  EXPECT_FALSE(view.animating());
}

TEST(AppMarkView, ReducedMotionFreezesTheSealAtRest) {
  ReduceMotion on(true);
  AppMarkView view(State::working, 100);
  view.setClock([] { return 0.3; });  // would be the top of the swing
  view.show();
  EXPECT_FALSE(view.animating());
  EXPECT_EQ(view.phase(), 0);
  EXPECT_EQ(renderView(view), reference(100, State::working, 0));
  view.hide();
}

TEST(AppMarkView, OtherStatesRunNoTimer) {
  ReduceMotion off(false);
  for (State s : {State::picked, State::empty}) {
    AppMarkView view(s, 100);
    view.setClock([] { return 0.3; });
    view.show();
    EXPECT_FALSE(view.animating());
    EXPECT_EQ(view.phase(), 0);
    EXPECT_EQ(renderView(view), reference(100, s, 0));
    view.hide();
  }
}

TEST(AppMarkView, SwitchingStateStartsAndStopsTheTimer) {
  ReduceMotion off(false);
  AppMarkView view(State::picked, 56);
  view.show();
  EXPECT_FALSE(view.animating());
  view.setState(State::working);
  EXPECT_TRUE(view.animating());
  Appearance::setReduceMotionForced(true);  // the desktop changes its mind
  EXPECT_FALSE(view.animating());
  Appearance::setReduceMotionForced(false);
  EXPECT_TRUE(view.animating());
  view.setState(State::empty);
  EXPECT_FALSE(view.animating());
  view.hide();
}

TEST(AppMarkView, PhaseFollowsTheClock) {
  ReduceMotion off(false);
  double now = 0.3;
  AppMarkView view(State::working, 100);
  view.setClock([&now] { return now; });
  // A full cycle takes 1.2 s: top a quarter in, bottom three quarters in.
  EXPECT_NEAR(view.phase(), 1, 1e-9);
  const QImage top = renderView(view);
  EXPECT_EQ(top, reference(100, State::working, 1));
  now = 0.9;
  EXPECT_NEAR(view.phase(), 0, 1e-9);
  EXPECT_EQ(renderView(view), reference(100, State::working, 0));
  now = 1.2 + 0.1;
  EXPECT_NEAR(view.phase(), (std::sin(2 * M_PI * 0.1 / 1.2) + 1) / 2, 1e-9);
  EXPECT_NE(top, reference(100, State::working, 0));
}

TEST(AppMarkView, MarkIsCentredInALargerWidget) {
  AppMarkView view(State::picked, 40);
  view.resize(100, 60);
  QImage img(view.size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  view.render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
  EXPECT_EQ(qAlpha(img.pixel(25, 30)), 0);   // left of the 40-px square at x 30
  EXPECT_GT(qAlpha(img.pixel(35, 30)), 0);
  EXPECT_GT(qAlpha(img.pixel(50, 48)), 0);
  EXPECT_EQ(qAlpha(img.pixel(50, 55)), 0);   // below it (y 10...50)
}

TEST(AppMarkView, AccessibleNameFollowsStateAndLanguage) {
  Settings::shared().setLanguage(Lang("en"));
  AppMarkView view(State::picked, 28);
  const Strings en = L::table(Lang("en"));
  EXPECT_EQ(view.accessibleName(), en.appName);
  view.setState(State::working);
  EXPECT_EQ(view.accessibleName(), en.working);

  Settings::shared().setLanguage(Lang("ko"));
  const Strings ko = L::table(Lang("ko"));
  ASSERT_NE(ko.working, en.working);
  EXPECT_EQ(view.accessibleName(), ko.working);
  Settings::shared().setLanguage(Lang());
}
