// The capture road on a real X server when another program owns the
// clipboard and never answers: the result is delivered without waiting for
// the copy of the old clipboard, which never comes; undo then has nothing
// to restore and leaves the clipboard alone.
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

TEST(CaptureRoadX, AClipboardOwnerThatNeverAnswersDoesNotHoldUpTheResult) {
  Settings::shared().setFastMode(false);
  xowner::Owner hung({{"UTF8_STRING", "old text"}}, /*hung=*/true);
  ASSERT_TRUE(hung.owns());

  CaptureController capture;
  ToastController toast;
  SelectionMarker marker;
  CPUMeter cpu;
  OnboardingController onboarding{[] { return true; }};
  road::Engines engines;
  engines.fast = [](const QImage&) { return std::optional<Recognized>(); };
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
  // Shown and copied although the old owner never answers.
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("fresh result"));

  // Once the read gives up, what the clipboard held is unknown: undo then
  // leaves the result where it is instead of clearing the clipboard.
  ASSERT_TRUE(testenv::waitUntil([&] { return !road.backupPending(); }, 4000));
  EXPECT_FALSE(toast.model().backup().has_value());
  toast.actions().undo();
  EXPECT_EQ(toast.model().kind(), ToastController::Kind::nothingToRestore);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("fresh result"));
}
