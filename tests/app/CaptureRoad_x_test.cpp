// The capture road on a real X server when another program owns the
// clipboard: the result waits for the copy of the old clipboard that undo
// puts back, and a slow owner's answer is kept; an owner that never answers
// holds the result up for at most a second, and undo then has nothing to
// restore and leaves the clipboard alone.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

#include "app/CaptureRoad.h"
#include "capture/CaptureController.h"
#include "capture/OverlayWindow.h"
#include "capture/SelectionMarker.h"
#include "core/CPUMeter.h"
#include "core/Settings.h"
#include "tests/support/TestEnv.h"
#include "tests/toast/XOwner.h"
#include "toast/ToastController.h"
#include "ui/onboarding/OnboardingController.h"

TEST(CaptureRoadX, UndoPutsBackWhatASlowOwnerHeldAndLeavesTheResultWhenTheOwnerNeverAnswers) {
  Settings::shared().setFastMode(false);
  const struct {
    const char* name;
    bool hung;
    int delayMs;
  } owners[] = {{"slow", false, 300}, {"hung", true, 0}};
  for (const auto& o : owners) {
    SCOPED_TRACE(o.name);
    xowner::Owner owner({{"UTF8_STRING", "old text"}}, o.hung, 64 * 1024, o.delayMs);
    ASSERT_TRUE(owner.owns());

    CaptureController capture;
    ToastController toast;
    SelectionMarker marker;
    CPUMeter cpu;
    OnboardingController onboarding{[] { return true; }};
    road::Engines engines;
    engines.fast = [](const QImage&, const QStringList&) { return std::optional<Recognized>(); };
    engines.accurate = [](const QImage&, const QStringList&, bool) {
      Recognized r;
      r.lines.push_back({Piece{PixelRect{}, QStringLiteral("fresh result")}});
      return r;
    };
    engines.codes = [](const QImage&, bool, double) { return std::vector<Code>{}; };
    engines.merge = [](const Recognized& r, const std::vector<Code>&) { return r; };
    CaptureRoad road(CaptureRoad::Parts{capture, toast, marker, cpu, onboarding}, {}, engines);

    QImage image(60, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    road.picked(image, QRectF(100, 100, 60, 20));
    ASSERT_TRUE(testenv::waitUntil([&] { return toast.model().kind() == ToastController::Kind::picked; }));
    EXPECT_FALSE(road.backupPending());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("fresh result"));
    EXPECT_EQ(toast.model().backup().has_value(), !o.hung);
    toast.actions().undo();
    if (o.hung) {
      // What the clipboard held is unknown: the result stays.
      EXPECT_EQ(toast.model().kind(), ToastController::Kind::nothingToRestore);
      EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("fresh result"));
    } else {
      EXPECT_EQ(toast.model().kind(), ToastController::Kind::undone);
      EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("old text"));
    }
  }
}
