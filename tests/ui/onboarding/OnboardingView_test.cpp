// The onboarding view offscreen: marks, buttons and texts per state, the
// reports mark, mirroring and the shortcut step's prompt and note.
#include "ui/onboarding/OnboardingView.h"

#include <gtest/gtest.h>

#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "tests/support/ViewProbe.h"
#include "ui/onboarding/ObButton.h"
#include "ui/onboarding/OnboardingModel.h"
#include "ui/onboarding/StepMark.h"
#include "ui/onboarding/KeptAboveWindow.h"

using probe::at;
using probe::near;

namespace {

const Strings& en() {
  static const Strings t = L::table(Lang("en"));
  return t;
}

struct View {
  explicit View(bool permission, bool conflict = false) : model(permission) { model.setConflict(conflict); }
  OnboardingModel model;
  Settings& s = Settings::shared();
  QStringList ran;
  OnboardingView view{model, s,
                      {[this] { ran << "change"; }, [this] { ran << "settings"; }, [this] { ran << "relaunch"; },
                       [this] { ran << "later"; }, [this] { ran << "try"; }}};

  template <typename W = ObButton>
  W* part(const char* name) {
    W* w = view.findChild<W*>(QString::fromLatin1(name));
    EXPECT_TRUE(w) << name;
    return w;
  }
  QImage render() { return probe::render(&view); }
  // A point of a step's 16 x 16 mark, in view coordinates (the mark sits 1 px down its widget).
  QPointF mark(int step, QPointF p) {
    return view.visual(view.placement().marks[size_t(step)]).topLeft() + QPointF(0, 1) + p;
  }
  // The colour of a button's plate clear of its label: 3 px in from its leading edge.
  QColor plate(const QImage& img, const QRectF& leading) {
    return at(img, view.visual(leading.adjusted(3, 14, 0, 0)).topLeft());
  }
  bool hasText(const QString& text) const {
    for (const PlacedText& t : view.placement().texts)
      if (t.text == text) return true;
    return false;
  }
};

}  // namespace

TEST(OnboardingView, EachStateShowsItsMarksButtonsAndTryColour) {
  const QColor faded = probe::blend(Ink::seal(), Ink::panel(), 0.4);
  {  // First run: shortcut fine, no screen access yet.
    View v(false);
    const QImage img = v.render();
    EXPECT_TRUE(near(at(img, v.mark(0, {2.5, 2.5})), Ink::seal()));
    EXPECT_TRUE(near(at(img, v.mark(0, {4.5, 8.8})), Ink::hanjiLight(), 60)) << "on the tick";
    EXPECT_TRUE(near(at(img, v.mark(1, {8, 8})), Ink::panel())) << "an empty box";
    EXPECT_TRUE(v.part("openSettings")->isVisibleTo(&v.view));
    EXPECT_TRUE(v.part("relaunch")->isVisibleTo(&v.view));
    EXPECT_TRUE(v.hasText(en().obPermissionOff));
    EXPECT_EQ(v.part("try")->title(), en().obTry);
    EXPECT_TRUE(near(v.plate(img, v.view.placement().tryButton), faded, 4));
  }
  {  // Shortcut taken: the "!" disc, the strong change button, try stays faded even with access.
    View v(true, true);
    const QImage img = v.render();
    EXPECT_TRUE(near(at(img, v.mark(0, {8, 5})), Ink::hanjiLight(), 60)) << "the !";
    EXPECT_TRUE(near(at(img, v.mark(0, {0.6, 0.6})), Ink::panel(), 12)) << "round, not a box";
    EXPECT_TRUE(v.part("change")->strong());
    EXPECT_TRUE(near(v.plate(img, v.view.placement().change), Ink::seal()));
    EXPECT_TRUE(v.hasText(en().obShortcutTaken("Ctrl+Shift+2")));
    EXPECT_FALSE(v.part("try")->isEnabled());
    EXPECT_TRUE(near(v.plate(img, v.view.placement().tryButton), faded, 4));
  }
  {  // Ready: access granted, shortcut ours.
    View v(true);
    const QImage img = v.render();
    EXPECT_TRUE(near(at(img, v.mark(1, {2.5, 2.5})), Ink::seal()));
    EXPECT_FALSE(v.part("openSettings")->isVisibleTo(&v.view));
    EXPECT_FALSE(v.part("relaunch")->isVisibleTo(&v.view));
    EXPECT_TRUE(v.hasText(en().obOn));
    EXPECT_FALSE(v.part("change")->strong());
    EXPECT_EQ(v.part("later")->title(), en().obClose);
    EXPECT_EQ(v.part("try")->title(), en().obTry + " Ctrl+Shift+2");
    EXPECT_TRUE(near(v.plate(img, v.view.placement().tryButton), Ink::seal(), 2));
  }
}

TEST(OnboardingView, ButtonsRunTheirActionsAndADisabledTryDoesNothing) {
  View v(false);
  probe::render(&v.view);
  for (const char* name : {"try", "later", "change", "openSettings", "relaunch"}) probe::click(v.part(name));
  EXPECT_EQ(v.ran, (QStringList{"later", "change", "settings", "relaunch"}));
  v.ran.clear();
  v.model.setPermission(true);  // the view follows the model at once
  EXPECT_EQ(v.part("try")->opacity(), 1.0);
  probe::click(v.part("try"));
  probe::click(v.part("later"));  // "Close" now, still the later action
  EXPECT_EQ(v.ran, (QStringList{"try", "later"}));
}

TEST(OnboardingView, OnlyTheReportsMarkTogglesAndItsTextFollows) {
  View v(true);
  v.s.setReports(true);
  probe::render(&v.view);
  // The first two marks let clicks through to the window; the third is a button.
  for (int step : {0, 1})
    EXPECT_FALSE(qobject_cast<onboarding::StepMark*>(v.view.childAt(v.mark(step, {8, 8}).toPoint()))) << step;
  auto* reports = v.part<onboarding::StepMark>("reportsMark");
  EXPECT_EQ(v.view.childAt(v.mark(2, {8, 8}).toPoint()), reports);
  EXPECT_EQ(reports->accessibleName(), en().obReports);
  EXPECT_TRUE(v.hasText(en().obReportsOn));

  probe::click(reports);
  EXPECT_FALSE(v.s.reports());
  EXPECT_TRUE(v.hasText(en().obReportsOff));
  EXPECT_FALSE(v.hasText(en().obReportsOn));
  EXPECT_TRUE(near(at(v.render(), v.mark(2, {8, 8})), Ink::panel()));
  probe::click(reports);
  EXPECT_TRUE(v.s.reports());
  EXPECT_TRUE(v.ran.isEmpty());
}

TEST(OnboardingView, RightToLeftMirrorsAllButTheKeyCaps) {
  View v(true);
  const QImage ltr = v.render();
  const QRectF capsLtr = v.view.placement().caps;
  const int ltrHeight = v.view.height();

  v.s.setLanguage(Lang("ar"));  // follows the language without a rebuild
  ASSERT_EQ(v.view.layoutDirection(), Qt::RightToLeft);
  const QImage rtl = v.render();
  const QRectF capsRtl = v.view.visual(v.view.placement().caps);
  EXPECT_LT(capsRtl.right(), 200) << "the caps moved to the left half";
  EXPECT_GT(v.view.visual(v.view.placement().marks[0]).left(), 350) << "marks stand at the right";
  EXPECT_LT(v.view.visual(v.view.placement().tryButton).left(), 100);
  ASSERT_EQ(capsRtl.size(), capsLtr.size());
  EXPECT_EQ(probe::crop(rtl, capsRtl), probe::crop(ltr, capsLtr)) << "Ctrl Shift 2, left to right, drawn as before";
  EXPECT_NE(v.view.height(), ltrHeight) << "the height follows the new texts";
}

TEST(OnboardingView, RecordingPromptAndNoteReplaceAndGrowTheShortcutStep) {
  View v(true);
  probe::render(&v.view);
  const int plain = v.view.sizeHint().height();
  v.s.setRecording(true);
  EXPECT_TRUE(v.view.placement().caps.isEmpty());
  EXPECT_EQ(v.view.placement().promptText, en().pressKeys);
  const QRectF prompt = v.view.visual(v.view.placement().prompt);
  EXPECT_TRUE(near(at(v.render(), prompt.topLeft() + QPointF(prompt.width() / 2, 0.5)), Ink::seal(), 40));

  v.s.setShortcutNote(QStringLiteral("Ctrl+C stays with copying."));
  EXPECT_TRUE(v.hasText("Ctrl+C stays with copying."));
  EXPECT_GT(v.view.sizeHint().height(), plain);
  v.s.setRecording(false);
  v.s.setShortcutNote(std::nullopt);
  EXPECT_EQ(v.view.sizeHint().height(), plain);
}

TEST(KeptAboveWindow, CentresInTheAvailableAreaAndStaysInside) {
  const QRect screen(1280, 24, 1920, 1056);  // a second screen, below a top panel
  EXPECT_EQ(KeptAboveWindow::centredIn(screen, {400, 600}), QPoint(1280 + 760, 24 + 228));
  EXPECT_EQ(KeptAboveWindow::centredIn(QRect(0, 0, 800, 500), {400, 700}), QPoint(200, 0)) << "top edge reachable";
}
